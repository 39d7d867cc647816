#include "sim/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

namespace finbowl {
namespace {

std::uint64_t StoppedClock() {
  return 42;
}
std::uint64_t OtherStoppedClock() {
  return 43;
}

TEST(ClockRandom, ValuesLieInTheUnitInterval) {
  ClockRandom random(StoppedClock, 1);
  double lowest = 1.0, highest = 0.0;
  for (int n = 0; n < 100000; ++n) {
    if (n % 3 == 0) {
      random.Reseed();
    }
    const double u = random.Uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    lowest = std::min(lowest, u);
    highest = std::max(highest, u);
  }
  EXPECT_LT(lowest, 0.001);
  EXPECT_GT(highest, 0.999);
}

TEST(ClockRandom, ReseedsAtTheSameClockReadingStillDiffer) {
  // Every fish of a frame reseeds within one clock reading; each must still
  // draw its own values, or the fish would swim in step.
  ClockRandom random(StoppedClock, 7);
  std::set<double> seen;
  for (int n = 0; n < 1000; ++n) {
    random.Reseed();
    seen.insert(random.Uniform());
  }
  EXPECT_EQ(seen.size(), 1000u);
}

TEST(ClockRandom, SameSeedAndClockRepeatAndTheClockMatters) {
  auto draws = [](ClockRandom::Clock clock, std::uint64_t seed) {
    ClockRandom random(clock, seed);
    std::vector<double> values;
    for (int n = 0; n < 8; ++n) {
      random.Reseed();
      values.push_back(random.Uniform());
    }
    return values;
  };
  EXPECT_EQ(draws(StoppedClock, 5), draws(StoppedClock, 5));
  EXPECT_NE(draws(StoppedClock, 5), draws(StoppedClock, 6));
  EXPECT_NE(draws(StoppedClock, 5), draws(OtherStoppedClock, 5));
}

// Past the ends of the 16-bit range, which only a damaged table reaches,
// the result wraps round as the rest of the 16-bit arithmetic does.
TEST(Rounding, HalvesGoToEvenFloorGoesDownAndTheEndsWrap) {
  struct Row {
    double v;
    std::int16_t rounded, floored;
  };
  for (const Row& row :
       {Row{2.5, 2, 2}, Row{3.5, 4, 3}, Row{-2.5, -2, -3}, Row{-6.5, -6, -7}, Row{-0.5, 0, -1},
        Row{374.999, 375, 374}, Row{-9.9, -10, -10}, Row{0.0, 0, 0}, Row{32767.4, 32767, 32767},
        Row{32767.5, -32768, 32767}, Row{32776.9, -32759, -32760}, Row{-32768.5, -32768, 32767},
        Row{-32777.0, 32759, 32759}, Row{98304.0, -32768, -32768}, Row{1e300, 0, 0},
        Row{-1e300, 0, 0}, Row{std::nan(""), 0, 0}}) {
    EXPECT_EQ(RoundHalfEven(row.v), row.rounded) << row.v;
    EXPECT_EQ(FloorTo16(row.v), row.floored) << row.v;
  }
}

}  // namespace
}  // namespace finbowl
