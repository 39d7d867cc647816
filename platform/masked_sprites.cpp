#include "platform/masked_sprites.h"

namespace finbowl {

QImage MaskedSprites(const QImage& sheet) {
  const QImage pixels = sheet.convertToFormat(QImage::Format_RGB32);
  QImage sprites(pixels.width(), pixels.height() / 2, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < sprites.height(); ++y) {
    const auto* colour = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    const auto* mask = reinterpret_cast<const QRgb*>(pixels.constScanLine(y + sprites.height()));
    auto* out = reinterpret_cast<QRgb*>(sprites.scanLine(y));
    for (int x = 0; x < sprites.width(); ++x) {
      out[x] = (mask[x] & 0xFFFFFFu) == 0 ? colour[x] | 0xFF000000u : 0;
    }
  }
  return sprites;
}

}  // namespace finbowl
