#include "support/images.h"

namespace finbowl::testing {

::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << "size " << actual.width() << "x" << actual.height() << ", expected "
           << expected.width() << "x" << expected.height();
  }
  int differing = 0;
  QPoint first;
  for (int y = 0; y < actual.height(); ++y) {
    for (int x = 0; x < actual.width(); ++x) {
      if (((actual.pixel(x, y) ^ expected.pixel(x, y)) & 0xFFFFFFu) && differing++ == 0) {
        first = QPoint(x, y);
      }
    }
  }
  if (differing == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << differing << " pixels differ, the first at (" << first.x() << ", " << first.y()
         << "): " << std::hex << (actual.pixel(first) & 0xFFFFFFu) << " instead of "
         << (expected.pixel(first) & 0xFFFFFFu);
}

void PasteCell(QImage& frame, const QImage& sheet, int x, int y, int w, int h, int sx, int sy) {
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      const QPoint at(x + column, y + row);
      if (!frame.rect().contains(at)) {
        continue;
      }
      const QRgb d = frame.pixel(at);
      const QRgb m = sheet.pixel(sx + column, sy + row);
      const QRgb c = sheet.pixel(sx + column, row);
      frame.setPixel(at, 0xFF000000u | ((c ^ (m & ~d)) & 0xFFFFFFu));
    }
  }
}

QImage RandomImage(int w, int h, std::mt19937& generator) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      image.setPixel(x, y, 0xFF000000u | (generator() & 0xFFFFFFu));
    }
  }
  return image;
}

QImage RandomSheet(int w, int h, std::mt19937& generator) {
  QImage sheet(w, 2 * h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool sprite = generator() % 2 == 0;
      sheet.setPixel(x, y, sprite ? 0xFF000000u | (generator() & 0xFFFFFFu) : 0xFFFFFFFFu);
      sheet.setPixel(x, y + h, sprite ? 0xFF000000u : 0xFFFFFFFFu);
    }
  }
  return sheet;
}

QImage Magnified(const QImage& image, int ratio) {
  return image.scaled(image.size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace finbowl::testing
