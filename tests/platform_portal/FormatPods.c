#include "FormatPods.h"

#include <spa/param/audio/format-utils.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

const struct spa_pod* vv_test_raw_format(void* buffer, size_t size, uint32_t video_format,
                                         uint32_t width, uint32_t height, int modifier) {
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, (uint32_t)size);
  struct spa_pod_frame frame;
  spa_pod_builder_push_object(&b, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_Format);
  spa_pod_builder_add(&b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                      SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
                      SPA_FORMAT_VIDEO_format, SPA_POD_Id(video_format), SPA_FORMAT_VIDEO_size,
                      SPA_POD_Rectangle(&SPA_RECTANGLE(width, height)), 0);
  if (modifier) {
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_modifier, SPA_POD_PROP_FLAG_MANDATORY);
    spa_pod_builder_long(&b, 0);
  }
  return spa_pod_builder_pop(&b, &frame);
}

const struct spa_pod* vv_test_audio_format(void* buffer, size_t size) {
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, (uint32_t)size);
  return spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_Format, SPA_FORMAT_mediaType,
      SPA_POD_Id(SPA_MEDIA_TYPE_audio), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
      SPA_FORMAT_AUDIO_format, SPA_POD_Id(SPA_AUDIO_FORMAT_S16), SPA_FORMAT_AUDIO_rate,
      SPA_POD_Int(48000), SPA_FORMAT_AUDIO_channels, SPA_POD_Int(2));
}
