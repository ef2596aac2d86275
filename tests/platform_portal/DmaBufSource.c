/* A PipeWire video source that offers its frames only as DMA-BUF: the kind of monitor stream a
   client that reads shared memory cannot use. Runs until SIGTERM or SIGINT.
   Usage: vv-test-dmabuf-source NODE_NAME WIDTH HEIGHT */

#include <pipewire/pipewire.h>
#include <signal.h>
#include <spa/buffer/buffer.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <stdlib.h>

struct source {
  struct pw_main_loop* loop;
  struct pw_stream* stream;
};

static void on_param_changed(void* data, uint32_t id, const struct spa_pod* param) {
  struct source* source = data;
  if (id != SPA_PARAM_Format || param == NULL) {
    return;
  }
  uint8_t space[256];
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(space, sizeof(space));
  const struct spa_pod* buffers = spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
      SPA_POD_CHOICE_RANGE_Int(4, 1, 16), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
      SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(1 << SPA_DATA_DmaBuf));
  pw_stream_update_params(source->stream, &buffers, 1);
}

static const struct pw_stream_events events = {
    PW_VERSION_STREAM_EVENTS,
    .param_changed = on_param_changed,
};

static void on_signal(void* data, int signal_number) {
  (void)signal_number;
  pw_main_loop_quit(((struct source*)data)->loop);
}

int main(int argc, char** argv) {
  if (argc != 4) {
    return 2;
  }
  const uint32_t width = (uint32_t)atoi(argv[2]);
  const uint32_t height = (uint32_t)atoi(argv[3]);
  pw_init(&argc, &argv);
  struct source source = {0};
  source.loop = pw_main_loop_new(NULL);
  struct pw_loop* loop = pw_main_loop_get_loop(source.loop);
  pw_loop_add_signal(loop, SIGINT, on_signal, &source);
  pw_loop_add_signal(loop, SIGTERM, on_signal, &source);
  source.stream = pw_stream_new_simple(
      loop, "vv-test-dmabuf-source",
      pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", PW_KEY_NODE_NAME, argv[1], NULL),
      &events, &source);

  uint8_t space[1024];
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(space, sizeof(space));
  struct spa_pod_frame frame;
  spa_pod_builder_push_object(&b, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
  spa_pod_builder_add(&b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                      SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
                      SPA_FORMAT_VIDEO_format, SPA_POD_Id(SPA_VIDEO_FORMAT_BGRx),
                      SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&SPA_RECTANGLE(width, height)),
                      SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&SPA_FRACTION(5, 1)), 0);
  /* The linear layout, as a compositor that renders on the GPU offers it. */
  spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_modifier, SPA_POD_PROP_FLAG_MANDATORY);
  spa_pod_builder_long(&b, 0);
  const struct spa_pod* format = spa_pod_builder_pop(&b, &frame);

  pw_stream_connect(source.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, PW_STREAM_FLAG_DRIVER, &format,
                    1);
  pw_main_loop_run(source.loop);
  pw_stream_destroy(source.stream);
  pw_main_loop_destroy(source.loop);
  pw_deinit();
  return 0;
}
