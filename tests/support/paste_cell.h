#pragma once

#include <QImage>

namespace finbowl::testing {

// What pasting the w x h cell at (sx, 0) of `sheet` through its mask at
// (sx, sy) does to `frame` at (x, y), worked out pixel by pixel as
// C XOR (M AND NOT D), clipped to the frame.
void PasteCell(QImage& frame, const QImage& sheet, int x, int y, int w, int h, int sx, int sy);

}  // namespace finbowl::testing

#include <gtest/gtest.h>

namespace finbowl::testing {

// Equal sizes and equal colours everywhere (the unused top byte aside); on a
// difference, says where the first one is and how many pixels differ.
::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected);

}  // namespace finbowl::testing
