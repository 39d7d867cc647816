#include <QTransform>
#include <algorithm>
#include <cmath>

#include "art.h"
#include "goldfish.h"
#include "layer.h"
#include "plant.h"

namespace finbowl::art {
namespace {

// The motif is laid out on a 32-unit square and drawn afresh for every size.
constexpr double kDesign = 32.0;

// Blends are dithered gently: at icon sizes a full ordered pattern is noise.
constexpr double kIconDither = 0.6;

void DrawGround(QPainter& p, double unit) {
  // Flat, because a dithered blend at these sizes reads as a checkerboard.
  p.fillRect(QRectF(0, 0, kDesign, kDesign), QColor(51, 255, 255));
  // About two units of sand, rounded to whole pixels for the same reason.
  const double sand = std::max(1.0, std::round(2 * unit)) / unit;
  p.fillRect(QRectF(0, kDesign - sand, kDesign, sand), QColor(204, 204, 153));
}

void DrawIconPlant(QPainter& p, bool detailed) {
  Prng rng(0x1C0);
  const struct {
    double x, height, lean;
    QColor leaf;
  } stems[] = {
      {3.0, 27, 0.06, QColor(0, 153, 51)},
      {6.5, 22, -0.05, QColor(0, 153, 51)},
      {4.8, 16, 0.12, QColor(51, 204, 51)},
  };
  for (const auto& s : stems) {
    PlantStem stem;
    stem.root = QPointF(s.x, kDesign - 1);
    stem.height = s.height;
    stem.lean = s.lean;
    stem.bow = 0.04;
    stem.leaflet = detailed ? 4.0 : 3.6;
    stem.spacing = detailed ? 2.0 : 2.8;
    stem.width = detailed ? 0.75 : 1.0;
    stem.stalk = QColor(0, 102, 51);
    stem.leaf = s.leaf;
    stem.tipLeaf = QColor(102, 204, 51);
    DrawPlantStem(p, stem, rng);
  }
}

void DrawIconBubbles(QPainter& p) {
  p.setPen(QPen(QColor(0, 102, 255), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(10.5, 9.0), 1.9, 1.9);
  p.drawEllipse(QPointF(13.5, 3.5), 2.2, 2.2);
}

}  // namespace

QImage IconPicture(int size) {
  const double unit = size / kDesign;
  // Scale arcs, fin rays and a ringed eye need room; smaller icons go without.
  const bool detailed = size >= 128;
  // In a menu's 16 or 24 pixels the plant and the bubbles are noise beside a
  // fish of a few pixels: the fish alone fills the water there.
  const bool small = size < 32;
  const Layer ground = DrawLayer(size, size, [&](QPainter& p) {
    p.scale(unit, unit);
    DrawGround(p, unit);
    if (!small) {
      DrawIconPlant(p, detailed);
      DrawIconBubbles(p);
    }
  });
  // The fish faces the plant, mirrored from the sprite drawing; it is a layer of
  // its own so that its rim can be darkened against the ground.
  const Layer fish = DrawLayer(size, size, [&](QPainter& p) {
    p.scale(unit, unit);
    p.setTransform(
        small ? QTransform(-0.42, 0, 0, 0.42, 31.2, -2.5) : QTransform(-0.3, 0, 0, 0.3, 32.2, 4.5),
        true);
    DrawGoldfish(p, RedGoldfish(), 1, detailed);
  });

  QImage picture = NewIndexedPicture(size, size);
  for (int y = 0; y < size; ++y) {
    uchar* row = picture.scanLine(y);
    for (int x = 0; x < size; ++x) {
      const int index = fish.Solid(x, y)
                            ? SpritePixel(fish, x, y, 0.7, kIconDither)
                            : DitheredIndex(ground.colour[ground.Index(x, y)], x, y, kIconDither);
      row[x] = static_cast<uchar>(index);
    }
  }
  return picture;
}

}  // namespace finbowl::art
