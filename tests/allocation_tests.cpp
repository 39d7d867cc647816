// The frame step and the slow tick run ten and 0.4 times a second for as
// long as the program runs: they must not allocate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/memory_surface.h"
#include "render/frame_step.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  if (counting) {
    ++allocations;
  }
  if (void* p = std::malloc(size ? size : 1)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace finbowl {
namespace {

TEST(Allocation, FramesAndSlowTicksAllocateNothing) {
  // In memory the visible tank is presented by Qt's own painting, which
  // allocates inside Qt once the frame step has returned; the test of the
  // X11 surfaces covers a presentation that allocates nothing at all.
  MemoryPlatform platform;
  TankSurfaces surfaces = CreateTankSurfaces(platform, nullptr);
  SizeTankSurfaces(surfaces);
  SettingsRecord settings;
  settings.lastFish = 4;
  settings.fishKind = {0, 1, 1, 0, 1, 0};
  FishTable table;
  ClockRandom random;
  StockTank(table, settings, random, [] { return kTankHeight; });
  const std::function<int()> width = [] { return kTankWidth; };

  counting = true;
  for (int frame = 0; frame < 1000; ++frame) {
    if (frame % 25 == 0) {
      SlowTick(table, settings, random);
    }
    FrameStep(surfaces, table, settings, random, width);
  }
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
}  // namespace finbowl
