#include "support/paste_cell.h"

namespace finbowl::testing {

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

}  // namespace finbowl::testing

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
      if ((actual.pixel(x, y) ^ expected.pixel(x, y)) & 0xFFFFFFu) {
        if (differing++ == 0) {
          first = QPoint(x, y);
        }
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

}  // namespace finbowl::testing
