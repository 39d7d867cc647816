#pragma once

#include <cstdint>

#include "render/tank.h"
#include "shell/settings_record.h"
#include "sim/aquarium.h"

namespace finbowl::testing {

// The aquarium as the main window drives it, on a clock that never moves so
// that every run with one seed swims alike: stocked once, then frames, with a
// slow tick every 25 frames.
class Swimming {
 public:
  explicit Swimming(std::uint64_t seed, SettingsRecord settings = {4, {0, 1, 0, 1, 1, 0}});

  // Stocks the live fish and, like the main window, draws them into work.
  void Stock(Tank& tank);
  // `count` frames on `tank`, stocking first if that was not done yet.
  void Frames(Tank& tank, int count);
  // What the next frame shows, as the main window's timers make it: a slow
  // tick every 25 frames, then each fish's step. Frames draws these.
  Frame Next();

  Aquarium aquarium;

 private:
  bool stocked_ = false;
  int frame_ = 0;
};

}  // namespace finbowl::testing
