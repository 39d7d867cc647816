#include <algorithm>

#include "art.h"
#include "goldfish.h"
#include "layer.h"

namespace finbowl::art {
namespace {

constexpr int kCell = 75;
constexpr double kSpriteDither = 0.6;

// A pixel on the rim of the silhouette: it is drawn darker, so that the hard
// edge the mask demands reads as an outline instead of as a jagged seam.
bool OnRim(const Layer& layer, int x, int y) {
  return !layer.Solid(x - 1, y) || !layer.Solid(x + 1, y) || !layer.Solid(x, y - 1) ||
         !layer.Solid(x, y + 1);
}

Rgb Darker(Rgb c, double factor) {
  return Rgb{c.r * factor, c.g * factor, c.b * factor};
}

void PutCell(QImage& sheet, const Layer& layer, int column, double rimFactor) {
  const int left = column * kCell;
  for (int y = 0; y < kCell; ++y) {
    uchar* colourRow = sheet.scanLine(y);
    uchar* maskRow = sheet.scanLine(y + kCell);
    for (int x = 0; x < kCell; ++x) {
      if (!layer.Solid(x, y)) {
        continue;  // both cells stay pure white
      }
      const Rgb c = layer.colour[layer.Index(x, y)];
      const int index = OnRim(layer, x, y) ? NearestIndex(Darker(c, rimFactor))
                                           : DitheredIndex(c, x, y, kSpriteDither);
      colourRow[left + x] = static_cast<uchar>(index);
      maskRow[left + x] = static_cast<uchar>(kBlackIndex);
    }
  }
}

}  // namespace

QImage FishSheet(int sheet) {
  const bool black = sheet >= 2;
  const bool facingLeft = sheet % 2 == 1;
  const FishLook look = black ? BlackGoldfish() : RedGoldfish();
  QImage picture = NewIndexedPicture(3 * kCell, 2 * kCell);
  for (int phase = 0; phase < kStrokePhases; ++phase) {
    // The left-facing fish is the right-facing drawing mirrored before it is put
    // on the palette, so the two masks are exact mirrors while the dithering,
    // done afterwards in the cell's own grid, differs.
    const Layer right =
        DrawLayer(kCell, kCell, [&](QPainter& p) { DrawGoldfish(p, look, phase, true); });
    PutCell(picture, facingLeft ? Mirrored(right) : right, phase, black ? 0.55 : 0.7);
  }
  return picture;
}

}  // namespace finbowl::art
