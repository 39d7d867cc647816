#pragma once

#include <QImage>
#include <array>
#include <iterator>

#include "art.h"

namespace finbowl::art {

struct Artwork {
  QImage tank;
  std::array<QImage, 4> sheets;
  QImage bubbles;
  std::array<QImage, std::size(kIconSizes)> icons;
};

// A tank frame as the program composes it: the left 640 x 450 of the tank with
// fish of every kind, facing and swimming frame, and some bubbles, each pasted
// through its mask with the program's two raster operations.
QImage ComposedFrame(const Artwork& art);

// Every picture enlarged four times without smoothing, and a composed frame, on
// a grey ground, for looking the art over in one place.
QImage ContactSheet(const Artwork& art);

}  // namespace finbowl::art
