/* A test helper: a pointer device of its own on a wlroots compositor, driven by lines on
 * standard input, so that the compositor's seat has a pointer and tests can place it.
 *
 *   move X Y WIDTH HEIGHT   moves the pointer to (X, Y) of a layout WIDTH x HEIGHT
 *   click                   presses and releases the left button
 *
 * Answers "ok" once the compositor has handled each line. The device lives until standard input
 * ends: a seat loses its pointer with its last pointer device. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct wl_seat* seat;
static struct zwlr_virtual_pointer_manager_v1* manager;

static void announce(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, wl_seat_interface.name) == 0 && !seat) {
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  }
}

static void withdraw(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener registry_listener = {announce, withdraw};

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(void) {
  struct wl_display* display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "virtual_pointer: no compositor\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, NULL);
  wl_display_roundtrip(display);
  if (!seat || !manager) {
    fprintf(stderr, "virtual_pointer: no seat or no virtual pointer manager\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  wl_display_roundtrip(display);
  printf("ok\n");
  fflush(stdout);

  char line[256];
  while (fgets(line, sizeof line, stdin)) {
    unsigned x, y, width, height;
    if (sscanf(line, "move %u %u %u %u", &x, &y, &width, &height) == 4) {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (strncmp(line, "click", 5) == 0) {
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else {
      fprintf(stderr, "virtual_pointer: unknown command\n");
      return 1;
    }
    if (wl_display_roundtrip(display) < 0) {
      return 1;
    }
    printf("ok\n");
    fflush(stdout);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
