#pragma once

namespace finbowl {

// The tank area in pixels: the visible tank, both buffers and every
// full-frame copy. The swimming step's bottom limit and stocking's heights
// follow from its height; the window is fitted around it.
inline constexpr int kTankWidth = 640;
inline constexpr int kTankHeight = 450;

}  // namespace finbowl
