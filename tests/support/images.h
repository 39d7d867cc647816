#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <random>

namespace finbowl::testing {

// Equal sizes and equal colours everywhere (the unused top byte aside); on a
// difference, says where the first one is and how many pixels differ.
::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected);

// What pasting the w x h cell at (sx, 0) of `sheet` through its mask at
// (sx, sy) does to `frame` at (x, y), worked out pixel by pixel as
// C XOR (M AND NOT D), clipped to the frame.
void PasteCell(QImage& frame, const QImage& sheet, int x, int y, int w, int h, int sx, int sy);

// A w x h image of random opaque colours.
QImage RandomImage(int w, int h, std::mt19937& generator);

// A random sprite sheet of w x 2h: random sprites over masks of random black,
// and pure white in both halves wherever a mask is white.
QImage RandomSheet(int w, int h, std::mt19937& generator);

// What a screen of `ratio` device pixels to a pixel shows of `image`: every
// pixel a ratio x ratio block.
QImage Magnified(const QImage& image, int ratio);

}  // namespace finbowl::testing
