#include <QTransform>

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

void DrawGround(QPainter& p) {
  // Flat, because a dithered blend at these sizes reads as a checkerboard.
  p.fillRect(QRectF(0, 0, kDesign, kDesign), QColor(51, 255, 255));
  p.fillRect(QRectF(0, kDesign - 2.5, kDesign, 2.5), QColor(204, 204, 153));
}

void DrawIconPlant(QPainter& p, bool detailed) {
  Prng rng(0x1C0);
  const struct {
    double x, height, lean;
    QColor leaf;
  } stems[] = {
      {3.5, 27, 0.08, QColor(0, 153, 51)},
      {7.5, 22, -0.06, QColor(0, 153, 51)},
      {5.5, 17, 0.15, QColor(51, 204, 51)},
  };
  for (const auto& s : stems) {
    PlantStem stem;
    stem.root = QPointF(s.x, kDesign - 1);
    stem.height = s.height;
    stem.lean = s.lean;
    stem.bow = 0.04;
    stem.leaflet = detailed ? 4.5 : 4.0;
    stem.spacing = detailed ? 2.0 : 2.8;
    stem.width = detailed ? 0.75 : 1.0;
    stem.stalk = QColor(0, 102, 51);
    stem.leaf = s.leaf;
    stem.tipLeaf = QColor(102, 204, 51);
    DrawPlantStem(p, stem, rng);
  }
}

void DrawIconBubbles(QPainter& p) {
  p.setPen(QPen(QColor(0, 102, 255), 0.9));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(12.5, 10.0), 1.6, 1.6);
  p.drawEllipse(QPointF(14.5, 4.5), 2.0, 2.0);
}

}  // namespace

QImage IconPicture(int size) {
  const double unit = size / kDesign;
  const bool detailed = size >= 64;
  const Layer ground = DrawLayer(size, size, [&](QPainter& p) {
    p.scale(unit, unit);
    DrawGround(p);
    DrawIconPlant(p, detailed);
    DrawIconBubbles(p);
  });
  // The fish faces the plant, mirrored from the sprite drawing; it is a layer of
  // its own so that its rim can be darkened against the ground.
  const Layer fish = DrawLayer(size, size, [&](QPainter& p) {
    p.scale(unit, unit);
    p.setTransform(QTransform(-0.34, 0, 0, 0.34, 31.8, 6.5 - 0.34 * 14), true);
    DrawGoldfish(p, RedGoldfish(), 1, detailed);
  });

  QImage picture = NewIndexedPicture(size, size);
  for (int y = 0; y < size; ++y) {
    uchar* row = picture.scanLine(y);
    for (int x = 0; x < size; ++x) {
      const std::size_t i = fish.Index(x, y);
      int index;
      if (fish.Solid(x, y)) {
        const bool rim = !fish.Solid(x - 1, y) || !fish.Solid(x + 1, y) || !fish.Solid(x, y - 1) ||
                         !fish.Solid(x, y + 1);
        const Rgb c = fish.colour[i];
        index = rim ? NearestIndex(Rgb{c.r * 0.7, c.g * 0.7, c.b * 0.7})
                    : DitheredIndex(c, x, y, kIconDither);
      } else {
        index = DitheredIndex(ground.colour[i], x, y, kIconDither);
      }
      row[x] = static_cast<uchar>(index);
    }
  }
  return picture;
}

}  // namespace finbowl::art
