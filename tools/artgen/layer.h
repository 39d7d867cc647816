#pragma once

#include <QPainter>
#include <functional>
#include <vector>

#include "palette.h"

namespace finbowl::art {

// Everything is drawn at this many times the final size and then averaged down,
// which gives cleaner small shapes than antialiasing at the final size.
inline constexpr int kSupersample = 4;

// A drawing reduced to its final size: per pixel the colour of what was drawn
// there (not blended with anything behind) and how much of the pixel it covers.
struct Layer {
  int width = 0;
  int height = 0;
  std::vector<Rgb> colour;
  std::vector<double> coverage;

  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * width + x); }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // The mask rule for sprites: a pixel belongs to the silhouette when it is at
  // least half covered.
  bool Solid(int x, int y) const { return Inside(x, y) && coverage[Index(x, y)] >= 0.5; }
  bool OnRim(int x, int y) const {
    return Solid(x, y) &&
           (!Solid(x - 1, y) || !Solid(x + 1, y) || !Solid(x, y - 1) || !Solid(x, y + 1));
  }
};

// The palette entry of a solid pixel of a sprite drawn with a hard edge: the
// rim is darkened by `rimFactor` and left undithered, so the edge reads as an
// outline instead of a jagged seam; inside, the colour is dithered by `spread`.
int SpritePixel(const Layer& layer, int x, int y, double rimFactor, double spread);

// Runs `draw` on a transparent canvas whose painter works in final-size pixel
// units, with antialiasing, and reduces the result by area averaging.
Layer DrawLayer(int width, int height, const std::function<void(QPainter&)>& draw);

// The same layer mirrored left to right; the mirror of a silhouette is exact
// because the supersampled blocks mirror onto each other.
Layer Mirrored(const Layer& layer);

}  // namespace finbowl::art
