// The frame step and the slow tick run ten and 0.4 times a second for as
// long as the program runs: they must not allocate.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/memory_surface.h"
#include "render/frame_step.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"
#include "support/allocation_counter.h"

namespace finbowl {
namespace {

TEST(Allocation, FramesAndSlowTicksAllocateNothing) {
  // In memory the visible tank is presented by Qt's own painting, which
  // allocates inside Qt once the frame step has returned; the test of the
  // X11 surfaces covers a presentation that allocates nothing at all.
  MemoryPlatform platform;
  TankSurfaces surfaces(platform, nullptr);
  SizeTankSurfaces(surfaces);
  SettingsRecord settings;
  settings.lastFish = 4;
  settings.fishKind = {0, 1, 1, 0, 1, 0};
  FishTable table;
  ClockRandom random;
  StockTank(table, settings, random, [] { return kTankHeight; });
  const std::function<int()> width = [] { return kTankWidth; };

  testing::AllocationCount count;
  for (int frame = 0; frame < 1000; ++frame) {
    if (frame % 25 == 0) {
      SlowTick(table, settings, random);
    }
    FrameStep(surfaces, table, settings, random, width);
  }
  EXPECT_EQ(count.Stop(), 0);
}

}  // namespace
}  // namespace finbowl
