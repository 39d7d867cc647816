#pragma once

#include <array>
#include <cstdint>

#include "shell/settings_record.h"

namespace finbowl {

// One goldfish. Its position is the top-left corner of its 75 x 75 cell.
struct Fish {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::int16_t dir = 0;     // heading 0..5: 0-2 face right, 3-5 face left; up, level, down
  std::int16_t frameX = 0;  // column of the swimming frame in its sheet: 0, 75 or 150
  std::int16_t sheet = 0;   // 2 * kind + facing (0 right, 1 left)
  std::int16_t rising = 0;  // 1 while rising to the surface

  friend bool operator==(const Fish&, const Fish&) = default;
};

// The bubble blown by the fish of the same index; its 30 x 30 cell's corner.
struct Bubble {
  std::int16_t active = 0;
  std::int16_t x = 0;
  std::int16_t y = 0;

  friend bool operator==(const Bubble&, const Bubble&) = default;
};

// The whole state of the aquarium. It starts all zero and is never saved.
struct FishTable {
  std::array<Fish, kFishSlots> fish{};
  std::array<Bubble, kFishSlots> bubble{};
  // Frames spent against a side wall, counted over all fish together: the fish
  // that makes the fourth one turns round.
  std::int16_t wallCount = 0;

  friend bool operator==(const FishTable&, const FishTable&) = default;
};

// Size of a fish's cell and a bubble's cell, in pixels.
inline constexpr int kFishCell = 75;
inline constexpr int kBubbleCell = 30;

}  // namespace finbowl
