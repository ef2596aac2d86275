#pragma once

// Negotiated-format pods as a PipeWire producer sends them, built in C for the same reason as
// the back end's own pods.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct spa_pod;

// A fixed video/raw format; with a DMA-BUF modifier when `modifier` is non-zero.
const struct spa_pod* vv_test_raw_format(void* buffer, size_t size, uint32_t video_format,
                                         uint32_t width, uint32_t height, int modifier);
// A fixed audio/raw format.
const struct spa_pod* vv_test_audio_format(void* buffer, size_t size);

#ifdef __cplusplus
}
#endif
