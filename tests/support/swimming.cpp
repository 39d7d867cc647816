#include "support/swimming.h"

#include "render/frame_step.h"

namespace finbowl::testing {
namespace {

std::uint64_t StoppedClock() {
  return 20261209;
}

}  // namespace

Swimming::Swimming(std::uint64_t seed, SettingsRecord settings)
    : aquarium(settings, std::make_unique<ClockRandom>(StoppedClock, seed)) {}

void Swimming::Stock(Tank& tank) {
  StockTank(tank, aquarium, [] { return kTankHeight; });
  stocked_ = true;
}

void Swimming::Frames(Tank& tank, int count) {
  if (!stocked_) {
    Stock(tank);
  }
  for (int i = 0; i < count; ++i) {
    tank.ShowFrame(Next());
  }
}

Frame Swimming::Next() {
  if (frame_++ % 25 == 0) {
    aquarium.SlowTick();
  }
  return aquarium.Step(kTankWidth);
}

}  // namespace finbowl::testing
