#pragma once

#include <cstdint>

namespace finbowl {

// Headings 0..2 face right and 3..5 face left; within each group the order is
// up, level, down. Anything else faces neither way, and such a fish stands still.
inline constexpr std::int16_t kRightUp = 0;
inline constexpr std::int16_t kRightLevel = 1;
inline constexpr std::int16_t kRightDown = 2;
inline constexpr std::int16_t kLeftUp = 3;
inline constexpr std::int16_t kLeftLevel = 4;
inline constexpr std::int16_t kLeftDown = 5;

inline bool FacesRight(std::int16_t dir) {
  return dir >= kRightUp && dir <= kRightDown;
}
inline bool FacesLeft(std::int16_t dir) {
  return dir >= kLeftUp && dir <= kLeftDown;
}

}  // namespace finbowl
