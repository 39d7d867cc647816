#include "contact_sheet.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "palette.h"

namespace finbowl::art {
namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 450;
constexpr int kZoom = 4;
constexpr int kGap = 24;

// The masked copy the program draws every sprite with: the mask erases the
// destination where it is black, then the colour cell is XORed in.
void Paste(QImage& work, const QImage& source, int sx, int maskY, int size, int x, int y) {
  for (int row = 0; row < size; ++row) {
    for (int col = 0; col < size; ++col) {
      const int dx = x + col, dy = y + row;
      if (dx < 0 || dy < 0 || dx >= work.width() || dy >= work.height()) {
        continue;
      }
      const auto m = source.pixel(sx + col, maskY + row);
      const auto c = source.pixel(sx + col, row);
      auto d = work.pixel(dx, dy);
      work.setPixel(dx, dy, 0xFF000000u | (c ^ (m & ~d)));
    }
  }
}

QImage Zoomed(const QImage& picture, int zoom) {
  return picture.convertToFormat(QImage::Format_RGB32)
      .scaled(picture.width() * zoom, picture.height() * zoom, Qt::IgnoreAspectRatio,
              Qt::FastTransformation);
}

}  // namespace

QImage ComposedFrame(const Artwork& art) {
  QImage work =
      art.tank.copy(0, 0, kFrameWidth, kFrameHeight).convertToFormat(QImage::Format_RGB32);
  std::array<QImage, 4> sheets;
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    sheets[s] = art.sheets[s].convertToFormat(QImage::Format_RGB32);
  }
  const QImage bubbles = art.bubbles.convertToFormat(QImage::Format_RGB32);

  struct Placed {
    int sheet, frame, x, y;
  };
  // Open water between the plants and the rock, every sheet and frame once.
  const Placed fish[] = {
      {0, 0, 205, 30},  {3, 1, 330, 20},  {2, 2, 455, 45},  {1, 0, 560, 110},
      {2, 0, 195, 130}, {1, 1, 305, 115}, {0, 2, 430, 150}, {3, 2, 250, 225},
      {0, 1, 370, 240}, {3, 0, 500, 235}, {2, 1, 150, 300}, {1, 2, 310, 330},
  };
  const struct { int x, y; } rising[] = {{290, 55}, {540, 70}, {455, 165}, {240, 10}};
  for (const auto& b : rising) {
    Paste(work, bubbles, 0, 30, 30, b.x, b.y);
    Paste(work, bubbles, 30, 30, 30, b.x, b.y);
  }
  for (const Placed& f : fish) {
    Paste(work, sheets[static_cast<std::size_t>(f.sheet)], 75 * f.frame, 75, 75, f.x, f.y);
  }
  return work;
}

QImage ContactSheet(const Artwork& art) {
  std::vector<QImage> items;
  for (const QImage& sheet : art.sheets) {
    items.push_back(Zoomed(sheet, kZoom));
  }
  items.push_back(Zoomed(art.bubbles, kZoom));
  for (const QImage& icon : art.icons) {
    items.push_back(Zoomed(icon, kZoom));
  }
  items.push_back(Zoomed(art.tank, kZoom));
  items.push_back(Zoomed(ComposedFrame(art), 2));

  // Shelves as wide as the widest picture, filled left to right.
  struct Spot {
    int x, y;
  };
  std::vector<Spot> spots;
  int x = kGap, y = kGap, shelf = 0, width = 0;
  for (const QImage& item : items) {
    width = std::max(width, item.width() + 2 * kGap);
  }
  for (const QImage& item : items) {
    if (x + item.width() + kGap > width) {
      x = kGap;
      y += shelf + kGap;
      shelf = 0;
    }
    spots.push_back({x, y});
    x += item.width() + kGap;
    shelf = std::max(shelf, item.height());
  }
  QImage sheet(width, y + shelf + kGap, QImage::Format_RGB32);
  sheet.fill(QColor(153, 153, 153));
  QPainter painter(&sheet);
  for (std::size_t i = 0; i < items.size(); ++i) {
    painter.drawImage(spots[i].x, spots[i].y, items[i]);
  }
  return sheet;
}

}  // namespace finbowl::art
