#include "render/sprite_bounds.h"

#include <QImage>
#include <algorithm>

#include "render/pictures.h"
#include "sim/fish_table.h"

namespace finbowl {

Area PaintedPart(const QImage& picture, int colourX, int colourY, int maskX, int maskY, int w,
                 int h) {
  constexpr QRgb kWhite = 0xFFFFFFu;
  int left = w, top = h, right = -1, bottom = -1;
  const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const auto* mask = reinterpret_cast<const QRgb*>(pixels.constScanLine(maskY + y)) + maskX;
    const auto* colour = reinterpret_cast<const QRgb*>(pixels.constScanLine(colourY + y)) + colourX;
    for (int x = 0; x < w; ++x) {
      const bool painted = (mask[x] & kWhite) != kWhite || (colour[x] & kWhite) != kWhite;
      if (painted) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  if (right < 0) {
    return {};
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

const SpriteBounds& LoadSpriteBounds() {
  static const SpriteBounds bounds = [] {
    const Pictures& pictures = LoadPictures();
    SpriteBounds b;
    // Each picture is made 32-bit once, not once per cell.
    for (std::size_t sheet = 0; sheet < b.fish.size(); ++sheet) {
      const QImage pixels = pictures.pat[sheet].convertToFormat(QImage::Format_RGB32);
      for (std::size_t column = 0; column < b.fish[sheet].size(); ++column) {
        const int x = kFishCell * static_cast<int>(column);
        b.fish[sheet][column] = PaintedPart(pixels, x, 0, x, kFishCell, kFishCell, kFishCell);
      }
    }
    const QImage bubbles = pictures.awa.convertToFormat(QImage::Format_RGB32);
    for (std::size_t k = 0; k < b.bubble.size(); ++k) {
      const int x = kBubbleCell * static_cast<int>(k);
      b.bubble[k] = PaintedPart(bubbles, x, 0, x, kBubbleCell, kBubbleCell, kBubbleCell);
    }
    return b;
  }();
  return bounds;
}

}  // namespace finbowl
