// The least a frame can cost on an X server: a client that wakes ten times a
// second, sends one 1 x 1 copy onto its window and flushes, waking the server
// for it. What an aquarium pays above this is its own frame work; below it
// lies only not showing anything.
//   finbowl_wake_floor   (on $DISPLAY)
#include <xcb/xcb.h>

#include <cstdint>
#include <ctime>

int main() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 640, 450, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
  xcb_map_window(c, window);
  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  xcb_create_pixmap(c, screen->root_depth, pixmap, window, 1, 1);
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const std::uint32_t noExposures[] = {0};
  xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
  xcb_flush(c);
  timespec next{};
  clock_gettime(CLOCK_MONOTONIC, &next);
  while (!xcb_connection_has_error(c)) {
    next.tv_nsec += 100'000'000;
    if (next.tv_nsec >= 1'000'000'000) {
      next.tv_nsec -= 1'000'000'000;
      ++next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    xcb_copy_area(c, pixmap, window, gc, 0, 0, 0, 0, 1, 1);
    xcb_flush(c);
  }
  return 0;
}
