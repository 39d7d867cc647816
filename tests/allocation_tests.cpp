// The frame step and the slow tick run ten and 0.4 times a second for as
// long as the program runs: they must not allocate.
#include <gtest/gtest.h>

#include "render/pictures.h"
#include "support/allocation_counter.h"
#include "support/swimming.h"

namespace finbowl {
namespace {

TEST(Allocation, FramesAndSlowTicksAllocateNothing) {
  // In memory the visible tank is presented by Qt's own painting, which
  // allocates inside Qt once the frame step has returned; the test of the
  // X11 surfaces covers a presentation that allocates nothing at all.
  auto platform = CreateMemoryPlatform();
  Tank tank(*platform, LoadPictures(), nullptr);
  testing::Swimming swimming(1);
  swimming.Stock(tank);

  testing::AllocationCount count;
  swimming.Frames(tank, 1000);
  EXPECT_EQ(count.Stop(), 0);
}

}  // namespace
}  // namespace finbowl
