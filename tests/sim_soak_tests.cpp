// A long seeded run of the whole simulation as the window drives it: every
// live fish swims every frame, a slow tick every 25 frames, and now and then a
// restock with new settings. After every step the table must still be sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "sim/aquarium.h"
#include "sim/heading.h"
#include "sim/tank_area.h"

namespace finbowl {
namespace {

constexpr int kFrames = 1'000'000;
constexpr int kSlowTickEvery = 25;
constexpr int kRestockEvery = 2999;
constexpr int kNeverStocked = -1;

// The fish cell's range from the right-wall test and the wall push-back: a
// normal move starts at most at W - 76 and goes at most 10 further; a
// left-facing move starts at 1 or more and goes at most 10 back.
constexpr int kMinX = -9;
constexpr int kMaxX = kTankWidth - 66;
// The top and bottom limits reverse the drift only after a move has passed
// them, so a fish heading out from inside overshoots by at most one step, to -20
// or 385. Those are no hard bounds: a rise can stop at -11, and a heading that
// the slow tick or a wall turn gives a fish while it is past a limit sends it
// one more step outwards, once per such change, with nothing to stop such
// changes chaining. The hard checks are the per-move ones in BrokenSwim; the
// range here is a loose envelope for this seeded run, which reaches -31 and 393.
constexpr int kMinY = -50;
constexpr int kMaxY = 415;

std::uint64_t StoppedClock() {
  return 42;
}

bool Faces(std::int16_t dir, std::int16_t sheet) {
  return (FacesRight(dir) && sheet % 2 == 0) || (FacesLeft(dir) && sheet % 2 == 1);
}

// The first invariant that the table breaks, or nullptr.
const char* Broken(const FishTable& table, const std::array<int, kFishSlots>& kinds) {
  if (table.wallCount < 0 || table.wallCount > 3) {
    return "wallCount outside 0..3";
  }
  for (std::size_t i = 0; i < kFishSlots; ++i) {
    const Fish& f = table.fish[i];
    if (f.dir < 0 || f.dir > 5) {
      return "dir outside 0..5";
    }
    if (!Faces(f.dir, f.sheet)) {
      return "sheet faces the other way from dir";
    }
    if (kinds[i] != kNeverStocked && f.sheet / 2 != kinds[i]) {
      return "sheet of another kind";
    }
    if (f.frameX != 0 && f.frameX != 75 && f.frameX != 150) {
      return "frameX not 0, 75 or 150";
    }
    if (f.rising != 0 && f.rising != 1) {
      return "rising not 0 or 1";
    }
    if (table.bubble[i].active != 0 && table.bubble[i].active != 1) {
      return "active not 0 or 1";
    }
    if (f.x < kMinX || f.x > kMaxX) {
      return "x out of range";
    }
    if (f.y < kMinY || f.y > kMaxY) {
      return "y out of range";
    }
  }
  return nullptr;
}

// What one frame may do to fish i beyond keeping the table sound; a fish's
// step reads and writes no other fish's records.
const char* BrokenSwim(const FishTable& before, const FishTable& after, std::size_t i,
                       bool bubbleRose) {
  const Fish& was = before.fish[i];
  const Fish& is = after.fish[i];
  const Bubble& bubbleWas = before.bubble[i];
  const Bubble& bubbleIs = after.bubble[i];
  // The stroke advances exactly on normal moves.
  const bool normalMove = is.frameX != was.frameX;
  if (bubbleRose != (normalMove && bubbleWas.active == 1)) {
    return "bubble reported without a normal move, or a normal move's bubble not reported";
  }
  if (bubbleIs.active != bubbleWas.active || bubbleIs.x != bubbleWas.x ||
      bubbleIs.y > bubbleWas.y || (!bubbleRose && bubbleIs.y != bubbleWas.y) ||
      bubbleWas.y - bubbleIs.y > 19) {
    return "bubble moved other than up by 0..19 with its fish's normal move";
  }
  if (is.rising != was.rising || is.sheet / 2 != was.sheet / 2) {
    return "rising or kind changed";
  }
  if (was.rising == 1) {
    const int y = was.y > -10 ? was.y - 2 : was.y;
    if (is.x != was.x || is.y != y || is.frameX != was.frameX || is.dir != was.dir) {
      return "a rising fish did more than rise";
    }
  }
  if (std::abs(is.x - was.x) > 15 || std::abs(is.y - was.y) > 10) {
    return "moved too far in one frame";
  }
  if (normalMove && ((is.y < -10 && is.dir != kRightDown && is.dir != kLeftDown) ||
                     (is.y > 375 && is.dir != kRightUp && is.dir != kLeftUp))) {
    return "past a limit after a normal move and still heading out";
  }
  return nullptr;
}

const char* BrokenTick(const FishTable& before, const FishTable& after, int last) {
  for (std::size_t j = 0; j < kFishSlots; ++j) {
    const Fish& was = before.fish[j];
    const Fish& is = after.fish[j];
    if (static_cast<int>(j) > last) {
      if (was != is || before.bubble[j] != after.bubble[j]) {
        return "a record above lastFish changed";
      }
    } else if (is.x != was.x || is.y != was.y || is.sheet != was.sheet || is.frameX != was.frameX) {
      return "the tick moved a fish or changed its sheet or frame";
    }
  }
  return after.wallCount == before.wallCount ? nullptr : "the tick changed wallCount";
}

const char* BrokenStock(const FishTable& before, const FishTable& after,
                        const SettingsRecord& settings) {
  for (std::size_t j = 0; j < kFishSlots; ++j) {
    const Fish& was = before.fish[j];
    const Fish& is = after.fish[j];
    if (before.bubble[j] != after.bubble[j]) {
      return "stocking changed a bubble";
    }
    if (static_cast<int>(j) > settings.lastFish) {
      if (was != is) {
        return "stocking changed a record above lastFish";
      }
    } else if (is.x != was.x || is.sheet != 2 * settings.fishKind[j] || is.dir < 0 || is.dir > 1 ||
               is.frameX != 0 || is.rising != 0 || is.y < 0 || is.y > 374) {
      return "stocked fish not set up as expected";
    }
  }
  return nullptr;
}

TEST(SimulationSoak, AMillionFramesKeepTheTableSound) {
  Aquarium aquarium({}, std::make_unique<ClockRandom>(StoppedClock, 20240601));
  // The restocks' choices come from a generator of their own.
  ClockRandom chooser(StoppedClock, 7);
  std::array<int, kFishSlots> kinds;
  kinds.fill(kNeverStocked);
  // What the run went through, so that a table kept sound by fish that never
  // reach a wall or never rise cannot pass.
  int lowestX = 0, highestX = 0, lowestY = 0, highestY = 0;
  long turnsLeft = 0, turnsRight = 0, bubblesDrawn = 0, atTheSurface = 0;

  auto restock = [&] {
    const FishTable before = aquarium.table();
    aquarium.Stock([] { return kTankHeight; });
    const SettingsRecord& settings = aquarium.settings();
    for (int j = 0; j <= settings.lastFish; ++j) {
      kinds[static_cast<std::size_t>(j)] = settings.fishKind[static_cast<std::size_t>(j)];
    }
    return BrokenStock(before, aquarium.table(), settings);
  };
  ASSERT_EQ(restock(), nullptr);

  for (int frame = 1; frame <= kFrames; ++frame) {
    const int last = aquarium.settings().lastFish;
    const FishTable before = aquarium.table();
    const Frame shown = aquarium.Step(kTankWidth);
    const FishTable& after = aquarium.table();
    ASSERT_EQ(shown.count, last + 1) << "frame " << frame;
    for (int i = 0; i < kFishSlots; ++i) {
      const auto slot = static_cast<std::size_t>(i);
      if (i > last) {
        ASSERT_TRUE(before.fish[slot] == after.fish[slot] &&
                    before.bubble[slot] == after.bubble[slot])
            << "frame " << frame << ": fish " << i << " is not live and changed";
        continue;
      }
      const ShownFish& f = shown.shown[slot];
      ASSERT_TRUE(f.fish == after.fish[slot] && (!f.bubbleShown || f.bubble == after.bubble[slot]))
          << "frame " << frame << ": fish " << i << " shown other than it is";
      const char* broken = BrokenSwim(before, after, slot, f.bubbleShown);
      ASSERT_EQ(broken ? broken : Broken(after, kinds), nullptr)
          << "frame " << frame << ", fish " << i;
      const Fish& was = before.fish[slot];
      const Fish& is = after.fish[slot];
      lowestX = std::min<int>(lowestX, is.x);
      highestX = std::max<int>(highestX, is.x);
      lowestY = std::min<int>(lowestY, is.y);
      highestY = std::max<int>(highestY, is.y);
      turnsLeft += FacesRight(was.dir) && FacesLeft(is.dir);
      turnsRight += FacesLeft(was.dir) && FacesRight(is.dir);
      bubblesDrawn += f.bubbleShown;
      atTheSurface += is.rising == 1 && is.y <= -10;
    }
    if (frame % kSlowTickEvery == 0) {
      const FishTable beforeTick = aquarium.table();
      aquarium.SlowTick();
      const char* broken = BrokenTick(beforeTick, aquarium.table(), last);
      ASSERT_EQ(broken ? broken : Broken(aquarium.table(), kinds), nullptr)
          << "slow tick, frame " << frame;
    }
    if (frame % kRestockEvery == 0) {
      aquarium.Choose(static_cast<int>(std::floor(5 * chooser.Uniform())) + 1,
                      static_cast<int>(std::floor(6 * chooser.Uniform())));
      const char* broken = restock();
      ASSERT_EQ(broken ? broken : Broken(aquarium.table(), kinds), nullptr)
          << "restock, frame " << frame;
    }
  }
  EXPECT_EQ(lowestX, kMinX);
  EXPECT_EQ(highestX, kMaxX);
  EXPECT_LT(lowestY, -10);
  EXPECT_GT(highestY, 375);
  EXPECT_GT(turnsLeft, 5000);
  EXPECT_GT(turnsRight, 5000);
  EXPECT_GT(bubblesDrawn, 500000);
  EXPECT_GT(atTheSurface, 10000);
}

}  // namespace
}  // namespace finbowl
