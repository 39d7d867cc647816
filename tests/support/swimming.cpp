#include "support/swimming.h"

#include "render/frame_step.h"
#include "sim/live_fish.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"

namespace finbowl::testing {
namespace {

std::uint64_t StoppedClock() {
  return 20261209;
}

}  // namespace

Swimming::Swimming(std::uint64_t seed, SettingsRecord s)
    : settings(s), random(StoppedClock, seed) {}

void Swimming::Stock(Tank& tank) {
  StockTank(table, settings, random, [] { return kTankHeight; });
  for (int i = 0; i <= LastLiveFish(settings); ++i) {
    tank.DrawFish(table.fish[static_cast<std::size_t>(i)]);
  }
  stocked_ = true;
}

void Swimming::Frames(Tank& tank, int count) {
  if (!stocked_) {
    Stock(tank);
  }
  for (int i = 0; i < count; ++i, ++frame_) {
    if (frame_ % 25 == 0) {
      SlowTick(table, settings, random);
    }
    FrameStep(tank, table, settings, random, kTankWidth);
  }
}

}  // namespace finbowl::testing
