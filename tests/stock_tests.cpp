#include "sim/stock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/tank_area.h"
#include "support/scripted_random.h"
#include "support/sim_printers.h"

namespace finbowl {
namespace {

using testing::ScriptedRandom;

const auto kTankClientHeight = [] { return kTankHeight; };

SettingsRecord Settings(std::int16_t lastFish, std::array<std::int16_t, kFishSlots> kinds = {}) {
  return SettingsRecord{lastFish, kinds};
}

TEST(StockTank, FirstStartWithOneRedFish) {
  // Fish columns: x, y, dir, frameX, sheet, rising.
  struct Row {
    double headingU, heightU;
    Fish expected;
  };
  for (const Row& row :
       {Row{0.0, 0.0, {0, 0, 0, 0, 0, 0}},
        Row{0.49, 0.5, {0, 187, 0, 0, 0, 0}},  // 187.5 is floored
        Row{0.5, 0.999, {0, 374, 1, 0, 0, 0}}, Row{0.99, 0.3, {0, 112, 1, 0, 0, 0}}}) {
    FishTable table;
    ScriptedRandom random{row.headingU, row.heightU};
    StockTank(table, SettingsRecord{}, random, kTankClientHeight);
    EXPECT_EQ(random.Calls(), "RUU");
    FishTable expected;
    expected.fish[0] = row.expected;
    EXPECT_EQ(table, expected) << row.headingU << " " << row.heightU;
  }
}

TEST(StockTank, KindsGiveTheRightFacingSheetsAndHeightIsReadForEveryFish) {
  FishTable table;
  ScriptedRandom random{0.2, 0.5, 0.7, 0.5, 0.4, 0.5};
  // The window is resized between the fish.
  std::vector<int> heights = {kTankHeight, 175, 75};
  std::size_t asked = 0;
  StockTank(table, Settings(2, {0, 1, 0, 1, 1, 1}), random, [&] { return heights[asked++]; });
  EXPECT_EQ(random.Calls(), "RUURUURUU");
  EXPECT_EQ(asked, 3u);
  EXPECT_EQ(table.fish[0], (Fish{0, 187, 0, 0, 0, 0}));
  EXPECT_EQ(table.fish[1], (Fish{0, 50, 1, 0, 2, 0}));
  EXPECT_EQ(table.fish[2], (Fish{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(table.fish[3], Fish{});
}

TEST(StockTank, UnknownKindKeepsTheSheetAndItsFacing) {
  struct Row {
    const char* what;
    std::int16_t kind, sheetBefore;
    double headingU;
    std::int16_t sheet, dir;
  };
  for (const Row& row : {
           Row{"never stocked", 7, 0, 0.99, 0, 1},
           Row{"black facing right", 7, 2, 0.0, 2, 0},
           Row{"red facing left: left and up", 7, 1, 0.0, 1, 3},
           Row{"black facing left: left and level", -1, 3, 0.99, 3, 4},
           Row{"kind 2", 2, 3, 0.5, 3, 4},
           Row{"a known kind turns a left-facing fish right", 1, 1, 0.5, 2, 1},
       }) {
    FishTable table;
    table.fish[0] = {300, 100, 5, 150, row.sheetBefore, 1};
    ScriptedRandom random{row.headingU, 0.0};
    SettingsRecord settings;
    settings.fishKind[0] = row.kind;
    StockTank(table, settings, random, kTankClientHeight);
    EXPECT_EQ(table.fish[0], (Fish{300, 0, row.dir, 0, row.sheet, 0})) << row.what;
  }
}

TEST(StockTank, RestockKeepsPositionsBubblesAndTheRecordsAboveLastFish) {
  // Six left-facing fish near the top, rising, each with a bubble.
  FishTable table;
  table.fish = {{{-9, -11, 3, 150, 1, 1},
                 {91, -10, 4, 150, 3, 1},
                 {191, -9, 5, 150, 1, 1},
                 {291, -8, 3, 150, 3, 1},
                 {391, -7, 4, 150, 1, 1},
                 {491, -6, 5, 150, 3, 1}}};
  table.bubble = {
      {{1, 50, -300}, {1, 51, -299}, {1, 52, -298}, {1, 53, -297}, {1, 54, -296}, {1, 55, -295}}};
  table.wallCount = 2;
  FishTable expected = table;
  // Lowered from five fish to two: records 2 to 5 stay exactly as they were.
  expected.fish[0] = {-9, 37, 1, 0, 2, 0};
  expected.fish[1] = {91, 112, 0, 0, 0, 0};

  ScriptedRandom random{0.5, 0.1, 0.25, 0.3};
  StockTank(table, Settings(1, {1, 0, 1, 1, 1, 1}), random, kTankClientHeight);
  EXPECT_EQ(random.Calls(), "RUURUU");
  EXPECT_EQ(table, expected);
}

TEST(StockTank, VisitsOnlyTheSixSlotsWhateverLastFishHolds) {
  struct Row {
    std::int16_t lastFish;
    std::size_t fish;
  };
  for (const Row& row : {Row{-1, 0}, Row{-32768, 0}, Row{4, 5}, Row{5, 6}, Row{32767, 6}}) {
    FishTable table;
    ScriptedRandom random;
    for (std::size_t i = 0; i < row.fish; ++i) {
      random.Push({0.0, 0.0});
    }
    int asked = 0;
    StockTank(table, Settings(row.lastFish), random, [&] {
      ++asked;
      return kTankHeight;
    });
    EXPECT_EQ(static_cast<std::size_t>(asked), row.fish) << row.lastFish;
  }
}

}  // namespace
}  // namespace finbowl
