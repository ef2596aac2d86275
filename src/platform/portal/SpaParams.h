#pragma once

// The SPA parameters of the screen-cast stream. They are built in C: the pod macros rely on
// compound literals, which C++ does not have.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct spa_pod;

// The longest side of a frame the stream accepts, in pixels.
#define VV_MAX_FRAME_SIDE 16384u

// How the four bytes of a pixel lie in memory; the fourth byte is padding or alpha and is dropped.
enum vv_pixel_order { VV_PIXEL_BGRX, VV_PIXEL_RGBX, VV_PIXEL_XRGB };

struct vv_video_format {
  uint32_t width;
  uint32_t height;
  enum vv_pixel_order order;
};

// Each builder writes one pod into `buffer` and returns it, or NULL when the buffer is too small.

// Raw video in the 8-bit four-byte formats that can be read without conversion tables.
const struct spa_pod* vv_build_format_offer(void* buffer, size_t size);
// Buffers the process can read directly: shared-memory file descriptors or plain memory, never
// DMA-BUF.
const struct spa_pod* vv_build_memory_buffers(void* buffer, size_t size);
// The header metadata, which carries the "corrupted" flag of each frame.
const struct spa_pod* vv_build_header_meta(void* buffer, size_t size);

// Reads a negotiated format. Returns 0 and fills `out` for one of the offered raw formats in
// memory; -1 for anything else, including a format that carries a DMA-BUF modifier.
int vv_parse_format(const struct spa_pod* format, struct vv_video_format* out);

#ifdef __cplusplus
}
#endif
