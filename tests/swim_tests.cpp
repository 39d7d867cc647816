#include "sim/swim.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/tank_area.h"
#include "support/scripted_random.h"
#include "support/sim_printers.h"

namespace finbowl {
namespace {

using testing::ScriptedRandom;

constexpr Bubble kNoBubble{};
// An active bubble somewhere above the fish.
constexpr Bubble kBubble{1, 300, 150};

// One frame of fish 0. Fish columns: x, y, dir, frameX, sheet, rising.
struct SwimRow {
  const char* what;
  Fish fish;
  Bubble bubble;
  std::int16_t wallCount;
  int width;
  std::vector<double> script;
  std::string calls;
  Fish fishAfter;
  Bubble bubbleAfter;
  std::int16_t wallCountAfter;
  bool bubbleRose;
};

void RunRows(const std::vector<SwimRow>& rows) {
  for (const SwimRow& row : rows) {
    SCOPED_TRACE(row.what);
    FishTable table;
    table.fish[0] = row.fish;
    table.bubble[0] = row.bubble;
    table.wallCount = row.wallCount;
    ScriptedRandom random(row.script);
    EXPECT_EQ(SwimFish(table, 0, row.width, random), row.bubbleRose);
    EXPECT_EQ(random.Calls(), row.calls);
    EXPECT_EQ(table.fish[0], row.fishAfter);
    EXPECT_EQ(table.bubble[0], row.bubbleAfter);
    EXPECT_EQ(table.wallCount, row.wallCountAfter);
  }
}

TEST(SwimFish, NormalMovesAndWallFrames) {
  // clang-format off
  RunRows({
      {"right, level, half a step",
       {100, 200, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.5}, "RU",
       {105, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"right, last normal position, no step",
       {564, 200, 1, 0, 2, 0}, kNoBubble, 0, kTankWidth, {0.0}, "RU",
       {564, 200, 1, 75, 2, 0}, kNoBubble, 0, false},
      {"right, last normal position, longest step",
       {564, 200, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.99}, "RU",
       {574, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"right wall frame: pushed back, frame held, bubble neither rises nor shows",
       {565, 200, 1, 75, 0, 0}, kBubble, 0, kTankWidth, {}, "R",
       {560, 200, 1, 75, 0, 0}, kBubble, 1, false},
      {"right wall frame from beyond the wall",
       {574, 200, 0, 150, 0, 0}, kNoBubble, 2, kTankWidth, {}, "R",
       {569, 200, 0, 150, 0, 0}, kNoBubble, 3, false},
      {"a wider window moves the right wall out",
       {565, 200, 1, 0, 0, 0}, kNoBubble, 0, 700, {0.5}, "RU",
       {570, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"wider window, at its wall",
       {625, 200, 1, 0, 0, 0}, kNoBubble, 0, 700, {}, "R",
       {620, 200, 1, 0, 0, 0}, kNoBubble, 1, false},
      {"a narrower window moves the right wall in",
       {525, 200, 1, 0, 0, 0}, kNoBubble, 0, 600, {}, "R",
       {520, 200, 1, 0, 0, 0}, kNoBubble, 1, false},
      {"left, last normal position, longest step",
       {1, 200, 4, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.99}, "RU",
       {-9, 200, 4, 75, 1, 0}, kNoBubble, 0, false},
      {"left, last normal position, no step",
       {1, 200, 4, 75, 3, 0}, kNoBubble, 0, kTankWidth, {0.0}, "RU",
       {1, 200, 4, 150, 3, 0}, kNoBubble, 0, false},
      // 10u is 3.5 once rounded, and 2 - 3.5 is a tie that goes to the even
      // -2; a fused multiply-add skips the first rounding and gives -1.
      {"left, a step that ends on a rounding tie",
       {2, 200, 4, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.35}, "RU",
       {-2, 200, 4, 75, 1, 0}, kNoBubble, 0, false},
      {"left wall frame",
       {0, 200, 4, 75, 1, 0}, kBubble, 0, kTankWidth, {}, "R",
       {5, 200, 4, 75, 1, 0}, kBubble, 1, false},
      {"left wall frame from beyond the wall",
       {-9, 200, 3, 0, 1, 0}, kNoBubble, 1, kTankWidth, {}, "R",
       {-4, 200, 3, 0, 1, 0}, kNoBubble, 2, false},
      {"the last column of the stroke wraps to the first",
       {100, 200, 1, 150, 0, 0}, kNoBubble, 0, kTankWidth, {0.5}, "RU",
       {105, 200, 1, 0, 0, 0}, kNoBubble, 0, false},
      {"a heading outside 0..5 stands still",
       {100, 200, 6, 75, 0, 0}, kBubble, 0, kTankWidth, {}, "R",
       {100, 200, 6, 75, 0, 0}, kBubble, 0, false},
      {"a negative heading stands still, even at a wall",
       {0, 200, -1, 75, 1, 0}, kBubble, 3, kTankWidth, {}, "R",
       {0, 200, -1, 75, 1, 0}, kBubble, 3, false},
  });
  // clang-format on
}

TEST(SwimFish, TurnsOnTheFourthWallFrame) {
  // clang-format off
  RunRows({
      {"right wall, third frame: no turn yet",
       {565, 200, 1, 75, 0, 0}, kNoBubble, 2, kTankWidth, {}, "R",
       {560, 200, 1, 75, 0, 0}, kNoBubble, 3, false},
      // The turned fish runs the left-facing step in the same frame.
      {"right wall turn, r = 0: left and up, first step at once",
       {565, 200, 1, 75, 0, 0}, kNoBubble, 3, kTankWidth, {0.0, 0.5, 0.5}, "RRUUU",
       {555, 195, 3, 150, 1, 0}, kNoBubble, 0, false},
      {"right wall turn, r = 1: left and down (floor, not round, of 3u = 1.98)",
       {565, 200, 1, 75, 2, 0}, kNoBubble, 3, kTankWidth, {0.66, 0.5, 0.5}, "RRUUU",
       {555, 205, 5, 150, 3, 0}, kNoBubble, 0, false},
      {"right wall turn, r = 2: left and level",
       {565, 200, 0, 150, 0, 0}, kNoBubble, 3, kTankWidth, {0.99, 0.5}, "RRUU",
       {555, 200, 4, 0, 1, 0}, kNoBubble, 0, false},
      {"right wall turn with a bubble: it rises by the left-facing rule",
       {565, 200, 1, 75, 0, 0}, kBubble, 3, kTankWidth, {0.99, 0.5, 0.99}, "RRUUU",
       {555, 200, 4, 150, 1, 0}, {1, 300, 141}, 0, true},
      {"left wall turn, r = 0: right and up, no further move",
       {0, 200, 4, 75, 1, 0}, kNoBubble, 3, kTankWidth, {0.0}, "RRU",
       {5, 200, 0, 75, 0, 0}, kNoBubble, 0, false},
      {"left wall turn, u just under a half: still r = 0",
       {0, 200, 3, 75, 3, 0}, kNoBubble, 3, kTankWidth, {0.49}, "RRU",
       {5, 200, 0, 75, 2, 0}, kNoBubble, 0, false},
      {"left wall turn, r = 1: right and down",
       {0, 200, 5, 0, 3, 0}, kNoBubble, 3, kTankWidth, {0.5}, "RRU",
       {5, 200, 2, 0, 2, 0}, kNoBubble, 0, false},
      {"left wall turn never gives the level heading; the bubble stays",
       {-3, 200, 4, 75, 1, 0}, kBubble, 3, kTankWidth, {0.99}, "RRU",
       {2, 200, 2, 75, 0, 0}, kBubble, 0, false},
  });
  // clang-format on
}

TEST(SwimFish, DriftReversesAtTopAndBottom) {
  // clang-format off
  RunRows({
      {"right and down past the bottom turns up",
       {100, 370, 2, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.8}, "RUU",
       {100, 378, 0, 75, 0, 0}, kNoBubble, 0, false},
      {"right and up past the top turns down",
       {100, -5, 0, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.7}, "RUU",
       {100, -12, 2, 75, 0, 0}, kNoBubble, 0, false},
      {"left and down past the bottom turns up",
       {100, 370, 5, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.8}, "RUU",
       {100, 378, 3, 75, 1, 0}, kNoBubble, 0, false},
      {"left and up past the top turns down",
       {100, -5, 3, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.7}, "RUU",
       {100, -12, 5, 75, 1, 0}, kNoBubble, 0, false},
      {"reaching the bottom limit exactly is no reversal",
       {100, 365, 2, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.99}, "RUU",
       {100, 375, 2, 75, 0, 0}, kNoBubble, 0, false},
      {"reaching the top limit exactly is no reversal",
       {100, 0, 3, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.99}, "RUU",
       {100, -10, 3, 75, 1, 0}, kNoBubble, 0, false},
      {"a level fish a rise left above the top turns down",
       {100, -11, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.5}, "RU",
       {105, -11, 2, 75, 0, 0}, kNoBubble, 0, false},
      {"the same, facing left",
       {100, -11, 4, 0, 3, 0}, kNoBubble, 0, kTankWidth, {0.5}, "RU",
       {95, -11, 5, 75, 3, 0}, kNoBubble, 0, false},
      // An up heading given while above the top limit takes one more step up.
      {"an up heading above the top limit climbs once more, then turns",
       {100, -11, 0, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.99}, "RUU",
       {100, -21, 2, 75, 0, 0}, kNoBubble, 0, false},
      {"a level fish below the bottom limit (taller window) turns up",
       {100, 380, 4, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.0}, "RU",
       {100, 380, 3, 75, 1, 0}, kNoBubble, 0, false},
  });
  // clang-format on
}

TEST(SwimFish, RisingFishOnlyRise) {
  // clang-format off
  RunRows({
      {"odd height: stops at -11",
       {100, -9, 1, 75, 0, 1}, kBubble, 0, kTankWidth, {}, "R",
       {100, -11, 1, 75, 0, 1}, kBubble, 0, false},
      {"and holds there",
       {100, -11, 0, 75, 0, 1}, kBubble, 0, kTankWidth, {}, "R",
       {100, -11, 0, 75, 0, 1}, kBubble, 0, false},
      {"even height: holds at -10",
       {100, -10, 2, 150, 2, 1}, kNoBubble, 0, kTankWidth, {}, "R",
       {100, -10, 2, 150, 2, 1}, kNoBubble, 0, false},
      {"two pixels a frame",
       {100, 300, 1, 0, 0, 1}, kNoBubble, 0, kTankWidth, {}, "R",
       {100, 298, 1, 0, 0, 1}, kNoBubble, 0, false},
      {"facing left",
       {100, -9, 5, 75, 3, 1}, kBubble, 0, kTankWidth, {}, "R",
       {100, -11, 5, 75, 3, 1}, kBubble, 0, false},
      {"at the right wall: no wall frame",
       {565, 100, 1, 75, 0, 1}, kNoBubble, 3, kTankWidth, {}, "R",
       {565, 98, 1, 75, 0, 1}, kNoBubble, 3, false},
      {"at the left wall: no wall frame",
       {0, 100, 4, 75, 1, 1}, kNoBubble, 3, kTankWidth, {}, "R",
       {0, 98, 4, 75, 1, 1}, kNoBubble, 3, false},
  });
  // clang-format on
}

TEST(SwimFish, BubblesRiseOnNormalMoves) {
  // clang-format off
  RunRows({
      {"right-facing: reseed, then up by floor(20u) = 19",
       {100, 200, 1, 0, 0, 0}, kBubble, 0, kTankWidth, {0.5, 0.99}, "RURU",
       {105, 200, 1, 75, 0, 0}, {1, 300, 131}, 0, true},
      {"right-facing: a zero rise is still drawn",
       {100, 200, 1, 0, 0, 0}, kBubble, 0, kTankWidth, {0.5, 0.0}, "RURU",
       {105, 200, 1, 75, 0, 0}, kBubble, 0, true},
      {"right-facing diagonal: the bubble's draw comes after both steps",
       {100, 200, 2, 0, 0, 0}, kBubble, 0, kTankWidth, {0.5, 0.5, 0.5}, "RUURU",
       {105, 205, 2, 75, 0, 0}, {1, 300, 140}, 0, true},
      {"left-facing: no reseed, up by floor(10u) = 9",
       {100, 200, 4, 0, 1, 0}, kBubble, 0, kTankWidth, {0.5, 0.99}, "RUU",
       {95, 200, 4, 75, 1, 0}, {1, 300, 141}, 0, true},
      {"left-facing diagonal",
       {100, 200, 3, 0, 1, 0}, kBubble, 0, kTankWidth, {0.5, 0.5, 0.5}, "RUUU",
       {95, 195, 3, 75, 1, 0}, {1, 300, 145}, 0, true},
      {"a bubble far above the tank goes on rising",
       {100, 200, 1, 0, 0, 0}, {1, 300, -400}, 0, kTankWidth, {0.5, 0.5}, "RURU",
       {105, 200, 1, 75, 0, 0}, {1, 300, -410}, 0, true},
      {"an inactive bubble is left alone",
       {100, 200, 1, 0, 0, 0}, {0, 300, 150}, 0, kTankWidth, {0.5}, "RU",
       {105, 200, 1, 75, 0, 0}, {0, 300, 150}, 0, false},
  });
  // clang-format on
}

// 0.25 and 0.75 make exact halves of 10u.
TEST(SwimFish, StepsRoundHalvesToEven) {
  // clang-format off
  RunRows({
      {"100 + 2.5",
       {100, 200, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.25}, "RU",
       {102, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"101 + 2.5",
       {101, 200, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.25}, "RU",
       {104, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"100 + 7.5",
       {100, 200, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.75}, "RU",
       {108, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"101 + 7.5",
       {101, 200, 1, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.75}, "RU",
       {108, 200, 1, 75, 0, 0}, kNoBubble, 0, false},
      {"100 - 2.5",
       {100, 200, 4, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.25}, "RU",
       {98, 200, 4, 75, 1, 0}, kNoBubble, 0, false},
      {"101 - 2.5",
       {101, 200, 4, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.25}, "RU",
       {98, 200, 4, 75, 1, 0}, kNoBubble, 0, false},
      {"3 - 7.5 crosses zero",
       {3, 200, 4, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.75}, "RU",
       {-4, 200, 4, 75, 1, 0}, kNoBubble, 0, false},
      {"y 100 + 2.5",
       {100, 100, 2, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.25}, "RUU",
       {100, 102, 2, 75, 0, 0}, kNoBubble, 0, false},
      {"y -4 - 2.5: -6, not -7",
       {100, -4, 0, 0, 0, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.25}, "RUU",
       {100, -6, 0, 75, 0, 0}, kNoBubble, 0, false},
      {"y -3 - 2.5: -6",
       {100, -3, 3, 0, 1, 0}, kNoBubble, 0, kTankWidth, {0.0, 0.25}, "RUU",
       {100, -6, 3, 75, 1, 0}, kNoBubble, 0, false},
  });
  // clang-format on
}

TEST(SwimFish, MovesOnlyTheRecordsOfItsIndex) {
  FishTable table;
  for (int i = 0; i < kFishSlots; ++i) {
    table.fish[static_cast<std::size_t>(i)] = {static_cast<std::int16_t>(100 + i), 200, 1, 0, 0, 0};
    table.bubble[static_cast<std::size_t>(i)] = kBubble;
  }
  FishTable expected = table;
  expected.fish[3] = {108, 200, 1, 75, 0, 0};
  expected.bubble[3].y = 140;
  ScriptedRandom random{0.5, 0.5};
  EXPECT_TRUE(SwimFish(table, 3, kTankWidth, random));
  EXPECT_EQ(table, expected);

  // No index outside the six slots is ever touched.
  for (int i : {-1, kFishSlots, 100}) {
    EXPECT_FALSE(SwimFish(table, i, kTankWidth, random));
  }
  EXPECT_EQ(table, expected);
}

TEST(SwimFish, FishShareTheWallCount) {
  // Fish 0 bumps the right wall on frames 1, 3 and 5; fish 1 swims left and
  // first reaches the wall on frame 6, where that single bump is the fourth.
  FishTable table;
  table.fish[0] = {565, 200, 1, 0, 0, 0};
  table.fish[1] = {45, 100, 4, 0, 1, 0};
  ScriptedRandom random;
  const std::vector<std::string> fish0Calls = {"R", "RU", "R", "RU", "R", "RU"};
  for (int frame = 1; frame <= 6; ++frame) {
    SCOPED_TRACE(frame);
    const bool bumps = frame % 2 == 1;
    if (!bumps) {
      random.Push({0.5});  // back to 565
    }
    SwimFish(table, 0, kTankWidth, random);
    EXPECT_EQ(random.TakeCalls(), fish0Calls[static_cast<std::size_t>(frame - 1)]);
    EXPECT_EQ(table.fish[0].dir, 1);
    EXPECT_EQ(table.fish[0].x, bumps ? 560 : 565);

    if (frame < 6) {
      random.Push({0.99});  // 10 to the left
      SwimFish(table, 1, kTankWidth, random);
      EXPECT_EQ(random.TakeCalls(), "RU");
      EXPECT_EQ(table.wallCount, (frame + 1) / 2);
    } else {
      random.Push({0.5});
      SwimFish(table, 1, kTankWidth, random);
      EXPECT_EQ(random.TakeCalls(), "RRU");
    }
  }
  EXPECT_EQ(table.fish[1], (Fish{0, 100, 2, 150, 0, 0}));
  EXPECT_EQ(table.wallCount, 0);
}

TEST(TurnSheet, MovesToTheSheetOfTheHeadingsFacing) {
  struct Row {
    std::int16_t dir, sheet, sheetAfter;
  };
  for (const Row& row : {Row{0, 1, 0}, Row{1, 3, 2}, Row{2, 1, 0}, Row{3, 0, 1}, Row{4, 2, 3},
                         Row{5, 0, 1}, Row{6, 2, 2}, Row{-1, 3, 3}}) {
    FishTable table;
    table.fish[2] = {300, 100, row.dir, 75, row.sheet, 0};
    TurnSheet(table, 2);
    EXPECT_EQ(table.fish[2], (Fish{300, 100, row.dir, 75, row.sheetAfter, 0})) << row.dir;
  }
}

// Statistics over many frames of a seeded generator: fixed, so never flaky.

TEST(SwimFishStatistics, NormalStepsAverageFivePixels) {
  ClockRandom random([] { return std::uint64_t{42}; }, 7);
  constexpr int kFrames = 200000;
  std::array<int, 11> counts{};
  long total = 0;
  FishTable table;
  for (int n = 0; n < kFrames; ++n) {
    table.fish[0] = {100, 200, static_cast<std::int16_t>(n % 2 == 0 ? 1 : 4), 0, 0, 0};
    SwimFish(table, 0, kTankWidth, random);
    const int step = n % 2 == 0 ? table.fish[0].x - 100 : 100 - table.fish[0].x;
    ASSERT_GE(step, 0);
    ASSERT_LE(step, 10);
    ++counts[static_cast<std::size_t>(step)];
    total += step;
  }
  EXPECT_NEAR(static_cast<double>(total) / kFrames, 5.0, 0.03);
  // Rounding gives the ends half the share of the inner values.
  for (int step = 0; step <= 10; ++step) {
    const double expected = step == 0 || step == 10 ? 0.05 : 0.1;
    EXPECT_NEAR(counts[static_cast<std::size_t>(step)] / double{kFrames}, expected, 0.004) << step;
  }
}

TEST(SwimFishStatistics, WallTurnHeadingsAreEquallyLikely) {
  ClockRandom random([] { return std::uint64_t{42}; }, 11);
  constexpr int kTurns = 60000;
  std::array<int, 6> headings{};
  for (int n = 0; n < kTurns; ++n) {
    FishTable table;
    table.wallCount = 3;
    const bool atRight = n % 2 == 0;
    table.fish[0] = atRight ? Fish{565, 200, 1, 0, 0, 0} : Fish{0, 200, 4, 0, 1, 0};
    SwimFish(table, 0, kTankWidth, random);
    ++headings[static_cast<std::size_t>(table.fish[0].dir)];
  }
  const double half = kTurns / 2.0;
  for (std::size_t dir : {3u, 4u, 5u}) {
    EXPECT_NEAR(headings[dir] / half, 1.0 / 3.0, 0.01) << dir;
  }
  EXPECT_NEAR(headings[0] / half, 0.5, 0.01);
  EXPECT_NEAR(headings[2] / half, 0.5, 0.01);
  EXPECT_EQ(headings[1], 0);
}

}  // namespace
}  // namespace finbowl
