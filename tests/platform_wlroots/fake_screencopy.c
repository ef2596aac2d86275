/* A test compositor with nothing but one output, wl_shm and wlr-screencopy, whose answers to a
 * copy are chosen on the command line, for the cases a real compositor does not produce at will:
 *
 *   fake_screencopy MODE SOCKET      (the socket is made in $XDG_RUNTIME_DIR)
 *
 *   good     120x80 XBGR8888, y-inverted: in memory the top half is red, the bottom half blue
 *   rgb565   offers only RGB565
 *   empty    offers a 0x0 buffer
 *   vanish   exits when asked to copy: the compositor is gone during the capture
 *   refuse   answers every capture with "failed", as a permission manager that denies it
 *
 * Prints "ready" once clients can connect; ends on SIGTERM. */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-server.h>

#include "wlr-screencopy-unstable-v1-server-protocol.h"

enum { WIDTH = 120, HEIGHT = 80 };

static const char* mode;

static void frame_copy(struct wl_client* client, struct wl_resource* frame,
                       struct wl_resource* buffer) {
  (void)client;
  if (strcmp(mode, "vanish") == 0) {
    _exit(0);
  }
  struct wl_shm_buffer* shm = wl_shm_buffer_get(buffer);
  if (!shm || wl_shm_buffer_get_width(shm) != WIDTH || wl_shm_buffer_get_height(shm) != HEIGHT) {
    zwlr_screencopy_frame_v1_send_failed(frame);
    return;
  }
  const int stride = wl_shm_buffer_get_stride(shm);
  wl_shm_buffer_begin_access(shm);
  unsigned char* data = wl_shm_buffer_get_data(shm);
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) {
      unsigned char* p = data + y * stride + x * 4;
      /* XBGR8888 in memory: R, G, B, X. */
      p[0] = y < HEIGHT / 2 ? 0xff : 0x00;
      p[1] = 0x00;
      p[2] = y < HEIGHT / 2 ? 0x00 : 0xff;
      p[3] = 0x00;
    }
  }
  wl_shm_buffer_end_access(shm);
  zwlr_screencopy_frame_v1_send_flags(frame, ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT);
  zwlr_screencopy_frame_v1_send_ready(frame, 0, 0, 0);
}

static void frame_destroy(struct wl_client* client, struct wl_resource* frame) {
  (void)client;
  wl_resource_destroy(frame);
}

static const struct zwlr_screencopy_frame_v1_interface frame_impl = {
    .copy = frame_copy, .destroy = frame_destroy, .copy_with_damage = frame_copy};

static void capture_output(struct wl_client* client, struct wl_resource* manager, uint32_t id,
                           int32_t overlay_cursor, struct wl_resource* output) {
  (void)overlay_cursor;
  (void)output;
  struct wl_resource* frame = wl_resource_create(client, &zwlr_screencopy_frame_v1_interface,
                                                 wl_resource_get_version(manager), id);
  wl_resource_set_implementation(frame, &frame_impl, NULL, NULL);
  if (strcmp(mode, "refuse") == 0) {
    zwlr_screencopy_frame_v1_send_failed(frame);
    return;
  }
  if (strcmp(mode, "rgb565") == 0) {
    zwlr_screencopy_frame_v1_send_buffer(frame, WL_SHM_FORMAT_RGB565, WIDTH, HEIGHT, WIDTH * 2);
  } else if (strcmp(mode, "empty") == 0) {
    zwlr_screencopy_frame_v1_send_buffer(frame, WL_SHM_FORMAT_XRGB8888, 0, 0, 0);
  } else {
    zwlr_screencopy_frame_v1_send_buffer(frame, WL_SHM_FORMAT_XBGR8888, WIDTH, HEIGHT, WIDTH * 4);
  }
  if (wl_resource_get_version(frame) >= 3) {
    zwlr_screencopy_frame_v1_send_buffer_done(frame);
  }
}

static void capture_output_region(struct wl_client* client, struct wl_resource* manager,
                                  uint32_t id, int32_t overlay_cursor, struct wl_resource* output,
                                  int32_t x, int32_t y, int32_t width, int32_t height) {
  (void)x;
  (void)y;
  (void)width;
  (void)height;
  capture_output(client, manager, id, overlay_cursor, output);
}

static void manager_destroy(struct wl_client* client, struct wl_resource* manager) {
  (void)client;
  wl_resource_destroy(manager);
}

static const struct zwlr_screencopy_manager_v1_interface manager_impl = {
    .capture_output = capture_output,
    .capture_output_region = capture_output_region,
    .destroy = manager_destroy};

static void bind_manager(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
  (void)data;
  struct wl_resource* manager =
      wl_resource_create(client, &zwlr_screencopy_manager_v1_interface, (int)version, id);
  wl_resource_set_implementation(manager, &manager_impl, NULL, NULL);
}

static void output_release(struct wl_client* client, struct wl_resource* output) {
  (void)client;
  wl_resource_destroy(output);
}

static const struct wl_output_interface output_impl = {.release = output_release};

static void bind_output(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
  (void)data;
  struct wl_resource* output = wl_resource_create(client, &wl_output_interface, (int)version, id);
  wl_resource_set_implementation(output, &output_impl, NULL, NULL);
  wl_output_send_geometry(output, 0, 0, 0, 0, WL_OUTPUT_SUBPIXEL_UNKNOWN, "fake", "fake",
                          WL_OUTPUT_TRANSFORM_NORMAL);
  wl_output_send_mode(output, WL_OUTPUT_MODE_CURRENT, WIDTH, HEIGHT, 60000);
  if (version >= 4) {
    wl_output_send_name(output, "FAKE-1");
  }
  if (version >= 2) {
    wl_output_send_scale(output, 1);
    wl_output_send_done(output);
  }
}

static int stop(int signal_number, void* data) {
  (void)signal_number;
  wl_display_terminate(data);
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: fake_screencopy good|rgb565|empty|vanish|refuse SOCKET\n");
    return 2;
  }
  mode = argv[1];
  struct wl_display* display = wl_display_create();
  if (wl_display_add_socket(display, argv[2]) != 0) {
    fprintf(stderr, "fake_screencopy: cannot listen on %s\n", argv[2]);
    return 1;
  }
  wl_display_init_shm(display);
  wl_display_add_shm_format(display, WL_SHM_FORMAT_XBGR8888);
  wl_display_add_shm_format(display, WL_SHM_FORMAT_RGB565);
  wl_global_create(display, &wl_output_interface, 4, NULL, bind_output);
  wl_global_create(display, &zwlr_screencopy_manager_v1_interface, 3, NULL, bind_manager);
  wl_event_loop_add_signal(wl_display_get_event_loop(display), SIGTERM, stop, display);
  printf("ready\n");
  fflush(stdout);
  wl_display_run(display);
  wl_display_destroy(display);
  return 0;
}
