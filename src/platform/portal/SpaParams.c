#include "platform/portal/SpaParams.h"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

const struct spa_pod* vv_build_format_offer(void* buffer, size_t size) {
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, (uint32_t)size);
  return spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
      SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
      SPA_FORMAT_VIDEO_format,
      SPA_POD_CHOICE_ENUM_Id(7, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                             SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA, SPA_VIDEO_FORMAT_xRGB,
                             SPA_VIDEO_FORMAT_ARGB),
      SPA_FORMAT_VIDEO_size,
      SPA_POD_CHOICE_RANGE_Rectangle(&SPA_RECTANGLE(1920, 1080), &SPA_RECTANGLE(1, 1),
                                     &SPA_RECTANGLE(VV_MAX_FRAME_SIDE, VV_MAX_FRAME_SIDE)),
      SPA_FORMAT_VIDEO_framerate,
      SPA_POD_CHOICE_RANGE_Fraction(&SPA_FRACTION(30, 1), &SPA_FRACTION(0, 1),
                                    &SPA_FRACTION(1000, 1)));
}

const struct spa_pod* vv_build_memory_buffers(void* buffer, size_t size) {
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, (uint32_t)size);
  return spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
      SPA_POD_CHOICE_RANGE_Int(4, 1, 16), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
      SPA_PARAM_BUFFERS_dataType,
      SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr)));
}

const struct spa_pod* vv_build_header_meta(void* buffer, size_t size) {
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, (uint32_t)size);
  return spa_pod_builder_add_object(&b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta,
                                    SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
                                    SPA_PARAM_META_size,
                                    SPA_POD_Int(sizeof(struct spa_meta_header)));
}

int vv_parse_format(const struct spa_pod* format, struct vv_video_format* out) {
  uint32_t media_type = 0;
  uint32_t media_subtype = 0;
  if (spa_format_parse(format, &media_type, &media_subtype) < 0 ||
      media_type != SPA_MEDIA_TYPE_video || media_subtype != SPA_MEDIA_SUBTYPE_raw) {
    return -1;
  }
  // A modifier means the frames would come as DMA-BUF, which this process cannot map.
  if (spa_pod_find_prop(format, NULL, SPA_FORMAT_VIDEO_modifier) != NULL) {
    return -1;
  }
  struct spa_video_info_raw info;
  spa_zero(info);
  if (spa_format_video_raw_parse(format, &info) < 0 || info.size.width == 0 ||
      info.size.height == 0 || info.size.width > VV_MAX_FRAME_SIDE ||
      info.size.height > VV_MAX_FRAME_SIDE) {
    return -1;
  }
  switch (info.format) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
      out->order = VV_PIXEL_BGRX;
      break;
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
      out->order = VV_PIXEL_RGBX;
      break;
    case SPA_VIDEO_FORMAT_xRGB:
    case SPA_VIDEO_FORMAT_ARGB:
      out->order = VV_PIXEL_XRGB;
      break;
    default:
      return -1;
  }
  out->width = info.size.width;
  out->height = info.size.height;
  return 0;
}
