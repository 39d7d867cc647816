#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>

#include "shell/settings_record.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// What one frame shows of a live fish: the fish, and its bubble when it rose
// in that frame.
struct ShownFish {
  Fish fish;
  bool bubbleShown = false;
  Bubble bubble;
};

// What one frame shows, in the order it is drawn: the live fish by index,
// each over its bubble.
struct Frame {
  std::array<ShownFish, kFishSlots> shown{};
  int count = 0;
};

// The running aquarium: the settings record, the fish table and the random
// source of one run, and the operations the main window's timers and menu
// (and the tests and benchmarks, exactly as the window does) drive it by.
// Each operation runs the procedures of the simulation over the live fish.
class Aquarium {
 public:
  explicit Aquarium(const SettingsRecord& settings = {},
                    std::unique_ptr<RandomSource> random = std::make_unique<ClockRandom>(),
                    const FishTable& table = {});

  const SettingsRecord& settings() const { return settings_; }
  const FishTable& table() const { return table_; }
  // The live fish, lowest index first.
  std::span<const Fish> LiveFish() const;

  // Stocks the live fish from the settings in a tank whose drawing area is
  // as high as `clientHeight` says, asked afresh for each fish.
  void Stock(const std::function<int()>& clientHeight);
  // Every live fish takes its swimming step, lower indexes first, in a tank
  // whose drawing area is `clientWidth` pixels wide; returns what the frame
  // shows.
  Frame Step(int clientWidth);
  // Every live fish takes its slow decision.
  void SlowTick();
  // The choice confirmed in the settings dialog: `goldfish` goldfish (1 to
  // 5), the first `red` of them red and the rest black. The kinds are
  // rewritten up to the larger of the old and the new last fish, so slots
  // that go out of use keep kinds as the new choice has them.
  void Choose(int goldfish, int red);

 private:
  SettingsRecord settings_;
  FishTable table_;
  std::unique_ptr<RandomSource> random_;
};

}  // namespace finbowl
