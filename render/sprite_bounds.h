#pragma once

#include <array>

#include "platform/area.h"

class QImage;

namespace finbowl {

// The part of a sprite cell that pasting can change: where its mask is black
// or its colour is not white, relative to the cell's corner. Everywhere else
// the mask's white keeps the tank and the colour's white puts it back, so the
// two raster copies may leave those pixels out and still give every pixel of
// the full cell. Empty (0 x 0) for a cell that changes nothing.
Area PaintedPart(const QImage& picture, int colourX, int colourY, int maskX, int maskY, int w,
                 int h);

// The painted parts of every fish frame, by sheet and column, and of both
// bubble cells, worked out once from the built-in pictures.
struct SpriteBounds {
  std::array<std::array<Area, 3>, 4> fish;
  std::array<Area, 2> bubble;
};
const SpriteBounds& LoadSpriteBounds();

}  // namespace finbowl
