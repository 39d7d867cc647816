#include "art.h"
#include "goldfish.h"
#include "layer.h"

namespace finbowl::art {
namespace {

constexpr int kCell = 75;
constexpr double kSpriteDither = 0.6;

void PutCell(QImage& sheet, const Layer& layer, int column, double rimFactor) {
  const int left = column * kCell;
  for (int y = 0; y < kCell; ++y) {
    uchar* colourRow = sheet.scanLine(y);
    uchar* maskRow = sheet.scanLine(y + kCell);
    for (int x = 0; x < kCell; ++x) {
      if (!layer.Solid(x, y)) {
        continue;  // both cells stay pure white
      }
      colourRow[left + x] = static_cast<uchar>(SpritePixel(layer, x, y, rimFactor, kSpriteDither));
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
