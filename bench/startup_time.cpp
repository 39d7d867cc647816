// How long the program takes from being started to having its window on the
// screen: the time from fork to the MapNotify of its top-level window, on an
// X display without a window manager (so the map is not delayed by one).
//   finbowl_startup_time DISPLAY PROGRAM [RUNS]
// prints every run and the median, in milliseconds.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double MillisecondsToMap(xcb_connection_t* c, xcb_window_t root, const char* program) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  double result = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
    const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
    if (mapped) {
      const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
      if (map->event == root && !map->override_redirect) {
        result = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
      }
    }
    std::free(event);
    if (result >= 0) {
      break;
    }
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DISPLAY PROGRAM [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 3 ? std::atoi(argv[3]) : 15;
  xcb_connection_t* c = xcb_connect(argv[1], nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "cannot connect to %s\n", argv[1]);
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
  setenv("DISPLAY", argv[1], 1);

  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    times.push_back(MillisecondsToMap(c, root, argv[2]));
    std::printf("run %2d: %6.1f ms\n", run + 1, times.back());
  }
  std::sort(times.begin(), times.end());
  std::printf("median of %d: %.1f ms\n", runs, times[times.size() / 2]);
  xcb_disconnect(c);
  return 0;
}
