#include "sim/slow_tick.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "support/scripted_random.h"
#include "support/sim_printers.h"

namespace finbowl {
namespace {

using testing::ScriptedRandom;

TEST(SlowTick, OutcomesForBothFacings) {
  // Every row starts from a fish that rose and blew a bubble in the previous
  // tick; both end before the new draw. Fish columns: x, y, dir, frameX, sheet,
  // rising.
  struct Row {
    const char* what;
    std::int16_t dir, sheet;
    double u;
    Fish fish;
    Bubble bubble;
  };
  const Bubble oldBubble{0, 7, -300};  // ended: only its flag changes
  for (const Row& row : {
           Row{"right, r = 0", 1, 0, 0.0, {500, 200, 0, 75, 0, 0}, oldBubble},
           Row{"right, r = 1: stays level", 1, 2, 0.2, {500, 200, 1, 75, 2, 0}, oldBubble},
           Row{"right, r = 2", 0, 0, 0.49, {500, 200, 2, 75, 0, 0}, oldBubble},
           Row{"right, r = 3: rises", 2, 0, 0.5, {500, 200, 2, 75, 0, 1}, oldBubble},
           Row{"right, r = 4: bubble", 0, 2, 0.7, {500, 200, 0, 75, 2, 0}, {1, 585, 225}},
           Row{"right, r = 5: bubble", 1, 0, 0.99, {500, 200, 1, 75, 0, 0}, {1, 585, 225}},
           Row{"left, r = 0", 4, 1, 0.0, {500, 200, 3, 75, 1, 0}, oldBubble},
           Row{"left, r = 1", 3, 3, 0.2, {500, 200, 4, 75, 3, 0}, oldBubble},
           Row{"left, r = 2", 4, 1, 0.4, {500, 200, 5, 75, 1, 0}, oldBubble},
           Row{"left, r = 3: rises", 5, 1, 0.6, {500, 200, 5, 75, 1, 1}, oldBubble},
           Row{"left, r = 4: bubble", 5, 3, 0.8, {500, 200, 5, 75, 3, 0}, {1, 490, 225}},
           Row{"left, r = 5: bubble", 3, 1, 0.9, {500, 200, 3, 75, 1, 0}, {1, 490, 225}},
       }) {
    SCOPED_TRACE(row.what);
    FishTable table;
    table.fish[0] = {500, 200, row.dir, 75, row.sheet, 1};
    table.bubble[0] = {1, 7, -300};
    table.wallCount = 3;
    ScriptedRandom random{row.u};
    SlowTick(table, SettingsRecord{}, random);
    EXPECT_EQ(random.Calls(), "RU");
    EXPECT_EQ(table.fish[0], row.fish);
    EXPECT_EQ(table.bubble[0], row.bubble);
    EXPECT_EQ(table.wallCount, 3);
  }
}

TEST(SlowTick, BubbleIsPlacedFromTheFishsCurrentCell) {
  struct Row {
    Fish fish;
    Bubble bubble;
  };
  for (const Row& row :
       {Row{{-9, -11, 2, 0, 0, 0}, {1, 76, 14}}, Row{{574, 385, 1, 150, 2, 0}, {1, 659, 410}},
        Row{{-9, -20, 4, 0, 1, 0}, {1, -19, 5}}, Row{{0, 0, 5, 0, 3, 0}, {1, -10, 25}}}) {
    FishTable table;
    table.fish[0] = row.fish;
    ScriptedRandom random{0.75};
    SlowTick(table, SettingsRecord{}, random);
    EXPECT_EQ(table.fish[0], row.fish);
    EXPECT_EQ(table.bubble[0], row.bubble);
  }
}

TEST(SlowTick, VisitsOnlyTheLiveFishOnePairOfCallsEach) {
  FishTable table;
  for (std::size_t i = 0; i < kFishSlots; ++i) {
    table.fish[i] = {100,
                     100,
                     static_cast<std::int16_t>(i % 2 == 0 ? 1 : 4),
                     0,
                     static_cast<std::int16_t>(i % 2),
                     1};
    table.bubble[i] = {1, 10, 10};
  }
  FishTable expected = table;
  SettingsRecord settings;
  settings.lastFish = 2;
  // Fish 0 gets up, fish 1 a bubble, fish 2 rises on; fish 3 to 5 keep their
  // rise and bubble.
  expected.fish[0] = {100, 100, 0, 0, 0, 0};
  expected.bubble[0].active = 0;
  expected.fish[1].rising = 0;
  expected.bubble[1] = {1, 90, 125};
  expected.bubble[2].active = 0;
  ScriptedRandom random{0.1, 0.9, 0.5};
  SlowTick(table, settings, random);
  EXPECT_EQ(random.Calls(), "RURURU");
  EXPECT_EQ(table, expected);
}

TEST(SlowTick, HeadingOutsideTheGroupsMakesNoDrawButStillEndsTheOldTick) {
  FishTable table;
  table.fish[0] = {100, 100, 6, 0, 0, 1};
  table.bubble[0] = {1, 10, 10};
  ScriptedRandom random;
  SlowTick(table, SettingsRecord{}, random);
  EXPECT_EQ(random.Calls(), "R");
  EXPECT_EQ(table.fish[0], (Fish{100, 100, 6, 0, 0, 0}));
  EXPECT_EQ(table.bubble[0], (Bubble{0, 10, 10}));
}

TEST(SlowTick, VisitsOnlyTheSixSlotsWhateverLastFishHolds) {
  for (const std::int16_t lastFish : {std::int16_t{-1}, std::int16_t{9}}) {
    FishTable table;
    ScriptedRandom random;
    if (lastFish > 0) {
      random.Push({0.5, 0.5, 0.5, 0.5, 0.5, 0.5});
    }
    SettingsRecord settings;
    settings.lastFish = lastFish;
    SlowTick(table, settings, random);
    EXPECT_EQ(random.Calls(), lastFish > 0 ? "RURURURURURU" : "");
  }
}

TEST(SlowTickStatistics, OutcomeShares) {
  ClockRandom random([] { return std::uint64_t{42}; }, 3);
  constexpr int kTicks = 120000;
  // Up, level, down, rise, bubble.
  std::array<int, 5> outcomes{};
  FishTable table;
  for (int n = 0; n < kTicks; ++n) {
    const bool right = n % 2 == 0;
    table.fish[0] = {200,
                     200,
                     static_cast<std::int16_t>(right ? 1 : 4),
                     0,
                     static_cast<std::int16_t>(right ? 0 : 1),
                     0};
    SlowTick(table, SettingsRecord{}, random);
    const Fish& fish = table.fish[0];
    if (table.bubble[0].active == 1) {
      ++outcomes[4];
    } else if (fish.rising == 1) {
      ++outcomes[3];
    } else {
      ++outcomes[static_cast<std::size_t>(fish.dir - (right ? 0 : 3))];
    }
  }
  const std::array<double, 5> shares = {1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 3};
  for (std::size_t k = 0; k < outcomes.size(); ++k) {
    EXPECT_NEAR(outcomes[k] / double{kTicks}, shares[k], 0.006) << k;
  }
}

}  // namespace
}  // namespace finbowl
