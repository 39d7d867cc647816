#include "bench/floor_main.h"

#include <sys/timerfd.h>

#include <cstdio>
#include <cstdlib>

namespace finbowl::floors {

int FloorMain(int argc, char** argv,
              const std::function<int(const Recording& recording, long frames)>& play) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s RECORDING [FRAMES]\n", argv[0]);
    return 2;
  }
  const auto recording = ReadRecording(argv[1]);
  return recording ? play(*recording, argc > 2 ? std::atol(argv[2]) : -1) : 1;
}

int FrameTimer() {
  const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
  const itimerspec every{{0, 100'000'000}, {0, 100'000'000}};
  timerfd_settime(timer, 0, &every, nullptr);
  return timer;
}

}  // namespace finbowl::floors
