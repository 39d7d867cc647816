#include "sim/slow_tick.h"

#include <cmath>

#include "sim/heading.h"
#include "sim/live_fish.h"

namespace finbowl {
namespace {

constexpr int kOutcomes = 6;
constexpr int kRiseOutcome = 3;
// A new bubble's cell: 10 pixels beyond the fish's front edge, a third of the
// way down its cell.
constexpr int kBubbleAheadOfRightFacing = kFishCell + 10;
constexpr int kBubbleAheadOfLeftFacing = -10;
constexpr int kBubbleBelowTop = kFishCell / 3;

}  // namespace

void SlowTick(FishTable& table, const SettingsRecord& settings, RandomSource& random) {
  const int last = LastLiveFish(settings);
  for (int i = 0; i <= last; ++i) {
    Fish& fish = table.fish[static_cast<std::size_t>(i)];
    Bubble& bubble = table.bubble[static_cast<std::size_t>(i)];
    // The rise and the bubble of the previous tick end before this tick's
    // decision, so the same outcome twice running continues them seamlessly.
    if (fish.rising == 1) {
      fish.rising = 0;
    }
    if (bubble.active == 1) {
      bubble.active = 0;
    }
    random.Reseed();

    std::int16_t firstHeading = 0;
    int bubbleAhead = 0;
    if (FacesRight(fish.dir)) {
      firstHeading = kRightUp;
      bubbleAhead = kBubbleAheadOfRightFacing;
    } else if (FacesLeft(fish.dir)) {
      firstHeading = kLeftUp;
      bubbleAhead = kBubbleAheadOfLeftFacing;
    } else {
      continue;
    }

    // One draw per fish: a new heading stays within the facing, so the sheet
    // never needs to change here.
    const int r = static_cast<int>(std::floor(kOutcomes * random.Uniform()));
    if (r < kRiseOutcome) {
      fish.dir = static_cast<std::int16_t>(firstHeading + r);
    } else if (r == kRiseOutcome) {
      fish.rising = 1;
    } else {
      bubble.active = 1;
      bubble.x = static_cast<std::int16_t>(fish.x + bubbleAhead);
      bubble.y = static_cast<std::int16_t>(fish.y + kBubbleBelowTop);
    }
  }
}

}  // namespace finbowl
