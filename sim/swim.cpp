#include "sim/swim.h"

#include <cmath>

#include "sim/heading.h"
#include "sim/tank_area.h"

namespace finbowl {
namespace {

constexpr int kStepScale = 10;  // sideways and vertical steps are round(10u): 0..10
constexpr int kWallBounce = 5;
constexpr int kRisePerFrame = 2;
constexpr int kTopLimit = -10;
constexpr int kBottomLimit = kTankHeight - kFishCell;
constexpr int kLeftWall = 0;
constexpr int kWallFramesPerTurn = 4;
constexpr int kFrameStride = kFishCell;
constexpr int kFrameColumnsEnd = 3 * kFishCell;

// What tells the two facings' normal moves apart. The bubble of a right-facing
// fish rises up to twice as fast and draws after a fresh reseed; a left-facing
// fish's bubble does neither. The asymmetry is deliberate: keep it.
struct Facing {
  int sign;  // +1 to the right, -1 to the left
  std::int16_t up, down;
  int bubbleRiseScale;
  bool reseedBeforeBubble;
};

constexpr Facing kFacingRight{+1, kRightUp, kRightDown, 20, true};
constexpr Facing kFacingLeft{-1, kLeftUp, kLeftDown, 10, false};

int Floor(double v) {
  return static_cast<int>(std::floor(v));
}

// A rise stops at -10 from an even y and at -11 from an odd one.
void Rise(Fish& fish) {
  if (fish.y > kTopLimit) {
    fish.y = static_cast<std::int16_t>(fish.y - kRisePerFrame);
  }
}

// Returns whether the bubble rose.
bool NormalMove(Fish& fish, Bubble& bubble, const Facing& facing, RandomSource& random) {
  fish.x = RoundHalfEven(fish.x + facing.sign * kStepScale * random.Uniform());
  if (fish.dir == facing.down) {
    fish.y = RoundHalfEven(fish.y + kStepScale * random.Uniform());
  }
  if (fish.dir == facing.up) {
    fish.y = RoundHalfEven(fish.y - kStepScale * random.Uniform());
  }
  fish.frameX = static_cast<std::int16_t>(fish.frameX + kFrameStride);
  if (fish.frameX == kFrameColumnsEnd) {
    fish.frameX = 0;
  }
  // The limits only reverse the drift, keeping the facing; a level fish that a
  // rise left above the top limit is sent down by this too.
  if (fish.y > kBottomLimit) {
    fish.dir = facing.up;
  }
  if (fish.y < kTopLimit) {
    fish.dir = facing.down;
  }
  if (bubble.active != 1) {
    return false;
  }
  if (facing.reseedBeforeBubble) {
    random.Reseed();
  }
  bubble.y = static_cast<std::int16_t>(bubble.y - Floor(facing.bubbleRiseScale * random.Uniform()));
  return true;
}

// Counts a frame spent against a side wall. The count is shared by all fish
// and carries over between frames, so the fourth wall frame overall turns
// whichever fish made it.
bool WallFrameTurns(FishTable& table) {
  table.wallCount = static_cast<std::int16_t>(table.wallCount + 1);
  if (table.wallCount != kWallFramesPerTurn) {
    return false;
  }
  table.wallCount = 0;
  return true;
}

}  // namespace

void TurnSheet(FishTable& table, int i) {
  Fish& fish = table.fish[static_cast<std::size_t>(i)];
  if (FacesRight(fish.dir)) {
    fish.sheet = static_cast<std::int16_t>(fish.sheet - 1);
  } else if (FacesLeft(fish.dir)) {
    fish.sheet = static_cast<std::int16_t>(fish.sheet + 1);
  }
}

bool SwimFish(FishTable& table, int i, int clientWidth, RandomSource& random) {
  if (i < 0 || i >= kFishSlots) {
    return false;
  }
  Fish& fish = table.fish[static_cast<std::size_t>(i)];
  Bubble& bubble = table.bubble[static_cast<std::size_t>(i)];
  bool bubbleRose = false;
  random.Reseed();

  if (FacesRight(fish.dir)) {
    if (fish.rising == 1) {
      Rise(fish);
    } else if (static_cast<double>(clientWidth - kFishCell) > fish.x) {
      bubbleRose = NormalMove(fish, bubble, kFacingRight, random);
    } else {
      fish.x = static_cast<std::int16_t>(fish.x - kWallBounce);
      if (WallFrameTurns(table)) {
        random.Reseed();
        const int r = Floor(3 * random.Uniform());
        fish.dir = r == 0 ? kLeftUp : r == 1 ? kLeftDown : kLeftLevel;
        TurnSheet(table, i);
      }
    }
  }

  // Tested on the heading as it is now: a fish just turned at the right wall
  // takes its first step to the left in the same frame.
  if (FacesLeft(fish.dir)) {
    if (fish.rising == 1) {
      Rise(fish);
    } else if (fish.x > kLeftWall) {
      bubbleRose = NormalMove(fish, bubble, kFacingLeft, random);
    } else {
      fish.x = static_cast<std::int16_t>(fish.x + kWallBounce);
      if (WallFrameTurns(table)) {
        random.Reseed();
        // A turn at the left wall never gives the level heading.
        fish.dir = Floor(2 * random.Uniform()) == 0 ? kRightUp : kRightDown;
        TurnSheet(table, i);
      }
    }
  }
  return bubbleRose;
}

}  // namespace finbowl
