#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>
#include <vector>

#include "art.h"
#include "layer.h"
#include "plant.h"
#include "prng.h"

namespace finbowl::art {
namespace {

constexpr int kWidth = 650;
constexpr int kHeight = 450;
constexpr int kWaterLine = 6;  // first row of water; the rows above are the air gap
constexpr double kGravelTop = 437;

// A smooth closed curve through the points (Catmull-Rom, as cubic segments).
QPainterPath SmoothClosed(const std::vector<QPointF>& pts) {
  const std::size_t n = pts.size();
  QPainterPath path(pts[0]);
  for (std::size_t i = 0; i < n; ++i) {
    const QPointF p0 = pts[(i + n - 1) % n], p1 = pts[i], p2 = pts[(i + 1) % n],
                  p3 = pts[(i + 2) % n];
    path.cubicTo(p1 + (p2 - p0) / 6.0, p2 - (p3 - p1) / 6.0, p2);
  }
  path.closeSubpath();
  return path;
}

// A rounded boulder resting on the gravel: an ellipse with a lumpy outline and
// a flat underside.
QPainterPath Boulder(QPointF centre, double rx, double ry, double floor, int points, Prng& rng) {
  std::vector<QPointF> pts;
  for (int k = 0; k < points; ++k) {
    const double a = 2 * std::numbers::pi * k / points;
    const double lump = rng.Range(0.9, 1.07);
    QPointF p = centre + QPointF(std::cos(a) * rx * lump, -std::sin(a) * ry * lump);
    p.setY(std::min(p.y(), floor));
    pts.push_back(p);
  }
  return SmoothClosed(pts);
}

void DrawPipe(QPainter& p) {
  // Shaded across its width like a cylinder lit from the upper left.
  auto cylinder = [](double left, double right) {
    QLinearGradient g(QPointF(left, 0), QPointF(right, 0));
    g.setColorAt(0.0, QColor(95, 95, 95));
    g.setColorAt(0.18, QColor(190, 190, 190));
    g.setColorAt(0.32, QColor(235, 235, 235));
    g.setColorAt(0.55, QColor(170, 170, 170));
    g.setColorAt(0.85, QColor(115, 115, 115));
    g.setColorAt(1.0, QColor(80, 80, 80));
    return g;
  };
  const double left = 22, right = 35;
  p.setPen(Qt::NoPen);
  p.fillRect(QRectF(left, 0, right - left, 392), cylinder(left, right));
  // Two clips holding it to the glass, and a collar above the strainer.
  for (double y : {118.0, 268.0}) {
    p.fillRect(QRectF(left - 2, y, right - left + 4, 7), cylinder(left - 2, right + 2));
    p.fillRect(QRectF(left - 2, y + 7, right - left + 4, 1), QColor(90, 90, 90));
  }
  p.fillRect(QRectF(left - 2, 386, right - left + 4, 8), cylinder(left - 2, right + 2));

  // The strainer: wider, rounded at the foot, with rows of dark slots.
  const double sl = 16.5, sr = 40.5, top = 394, bottom = 432;
  QPainterPath strainer;
  strainer.addRoundedRect(QRectF(sl, top, sr - sl, bottom - top), 3.5, 3.5);
  p.fillPath(strainer, cylinder(sl, sr));
  p.fillRect(QRectF(sl, top, sr - sl, 1), QColor(110, 110, 110));
  for (double y = top + 4; y < bottom - 4; y += 4) {
    QPainterPath slot;
    slot.addRoundedRect(QRectF(sl + 3.5, y, sr - sl - 7, 1.6), 0.8, 0.8);
    p.fillPath(slot, QColor(51, 51, 51));
  }
}

void DrawPlants(QPainter& p, Prng& rng) {
  const QColor dark(0, 102, 51), mid(0, 153, 51), light(51, 204, 51), young(102, 204, 51);
  struct Stem {
    double x, height, lean, bow;
    QColor stalk, leaf, tip;
  };
  // Back row first, in the darkest green; the front stems are the lightest.
  const Stem stems[] = {
      {66, 265, 0.14, 0.08, dark, dark, mid},
      {112, 230, 0.22, -0.06, dark, dark, mid},
      {150, 175, 0.30, 0.05, dark, dark, mid},
      {48, 205, -0.08, 0.10, QColor(0, 102, 0), mid, light},
      {90, 295, 0.08, 0.12, QColor(0, 102, 0), mid, light},
      {132, 200, 0.26, -0.04, QColor(0, 102, 0), mid, young},
      {72, 150, 0.26, -0.08, mid, light, young},
      {104, 120, -0.18, 0.10, mid, light, young},
      {165, 100, 0.35, 0.04, mid, light, young},
  };
  for (const Stem& s : stems) {
    PlantStem stem;
    stem.root = QPointF(s.x, kGravelTop + 4);
    stem.height = s.height;
    stem.lean = s.lean;
    stem.bow = s.bow;
    stem.leaflet = 15 + s.height / 45;
    stem.spacing = 6.5;
    stem.width = 1.7;
    stem.stalk = s.stalk;
    stem.leaf = s.leaf;
    stem.tipLeaf = s.tip;
    DrawPlantStem(p, stem, rng);
  }
}

void DrawMoss(QPainter& p, const QPainterPath& rock, double topBand, Prng& rng) {
  const QColor moss(102, 153, 51), deep(51, 102, 51), bright(153, 204, 102);
  const QRectF box = rock.boundingRect();
  // Moss grows where light falls: on the upper part of the outline and a little
  // way down from it, thinning out with depth.
  for (int k = 0; k < 1400; ++k) {
    const QPointF edge = rock.pointAtPercent(rng.Uniform());
    if (edge.y() > box.top() + topBand) {
      continue;
    }
    // Now and then a tongue of moss runs further down the stone.
    const double reach = rng.Below(8) == 0 ? 34 : 16;
    const double depth = std::pow(rng.Uniform(), 2.0) * reach;
    const QPointF at = edge + QPointF(rng.Range(-3, 3), depth + rng.Range(-1.5, 1));
    const double r = rng.Range(1.0, 3.2) * (1.0 - depth / (reach + 10));
    const int shade = rng.Below(10);
    p.setBrush(shade < 2 ? deep : shade < 8 ? moss : bright);
    p.drawEllipse(at, r, r * 0.8);
  }
}

void DrawRocks(QPainter& p, Prng& rng) {
  p.setPen(Qt::NoPen);
  const QPainterPath big = Boulder(QPointF(560, 398), 108, 92, kGravelTop + 6, 14, rng);
  const QPainterPath small = Boulder(QPointF(462, 424), 40, 26, kGravelTop + 6, 10, rng);

  for (const QPainterPath* rock : {&big, &small}) {
    const QRectF box = rock->boundingRect();
    QRadialGradient fill(box.topLeft() + QPointF(box.width() * 0.3, box.height() * 0.2),
                         std::max(box.width(), box.height()) * 0.9);
    // Mostly the two dark greys of the palette, with a short blend between
    // them; a long blend would be one big checkerboard.
    fill.setColorAt(0.0, QColor(115, 115, 110));
    fill.setColorAt(0.22, QColor(102, 102, 102));
    fill.setColorAt(0.42, QColor(95, 95, 92));
    fill.setColorAt(0.58, QColor(58, 58, 55));
    fill.setColorAt(1.0, QColor(45, 45, 45));
    p.fillPath(*rock, fill);

    p.save();
    p.setClipPath(*rock, Qt::IntersectClip);
    // Flecks of lighter and darker stone, and a few cracks.
    for (int k = 0; k < static_cast<int>(box.width() * box.height() / 60); ++k) {
      const QPointF at(rng.Range(box.left(), box.right()), rng.Range(box.top(), box.bottom()));
      const bool light = rng.Below(2) == 0;
      p.setBrush(light ? QColor(140, 140, 135, 110) : QColor(30, 30, 30, 110));
      const double r = rng.Range(0.8, 2.2);
      p.drawEllipse(at, r, r * 0.7);
    }
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < static_cast<int>(box.width() / 45); ++k) {
      QPointF at(rng.Range(box.left() + 10, box.right() - 10),
                 rng.Range(box.top() + 15, box.bottom() - 10));
      QPainterPath crack(at);
      for (int s = 0; s < 3; ++s) {
        at += QPointF(rng.Range(-5, 5), rng.Range(3, 7));
        crack.lineTo(at);
      }
      p.setPen(QPen(QColor(35, 35, 35), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPath(crack);
    }
    // A dark rim along the lower side, where the light does not reach.
    p.setPen(QPen(QColor(30, 30, 30), 3));
    p.translate(-1.5, -2);
    p.drawPath(*rock);
    p.restore();

    p.setPen(Qt::NoPen);
    DrawMoss(p, *rock, box.height() * 0.35, rng);
  }
}

void DrawGravel(QPainter& p, Prng& rng) {
  const QColor stones[] = {QColor(153, 153, 102), QColor(204, 204, 153), QColor(102, 102, 51),
                           QColor(153, 102, 51)};
  p.setPen(Qt::NoPen);
  p.fillRect(QRectF(0, kGravelTop + 3, kWidth, kHeight), QColor(51, 51, 0));
  // Each stone: its own shadow down and to the right, the stone, and a glint
  // where the light from above catches it.
  auto pebble = [&](QPointF at, double size) {
    const QColor c = stones[rng.Below(4)];
    const double w = size * rng.Range(0.85, 1.3), h = size * rng.Range(0.6, 0.8);
    p.save();
    p.translate(at);
    p.rotate(rng.Range(-20, 20));
    p.setBrush(c.darker(160));
    p.drawEllipse(QPointF(0.5, 0.6), w / 2, h / 2);
    p.setBrush(c);
    p.drawEllipse(QPointF(0, 0), w / 2 - 0.5, h / 2 - 0.5);
    if (size > 4.5) {
      p.setBrush(c.lighter(125));
      p.drawEllipse(QPointF(-w * 0.16, -h * 0.18), w * 0.2, h * 0.16);
    }
    p.restore();
  };
  // Rows from the back to the front, so nearer stones cover farther ones.
  for (double y = kGravelTop; y < kHeight + 3; y += 3.6) {
    for (double x = rng.Range(-6, -2); x < kWidth + 4; x += rng.Range(5.0, 7.5)) {
      if (y < kGravelTop + 1 && rng.Below(3) == 0) {
        continue;  // a ragged top edge
      }
      pebble(QPointF(x, y + rng.Range(-1, 1)), rng.Range(4.5, 7.5));
    }
  }
  // Some bigger stones break up the open stretch of gravel in the middle.
  for (double x : {236.0, 252.0, 318.0, 384.0}) {
    pebble(QPointF(x, kGravelTop + rng.Range(0.0, 2.0)), rng.Range(9.0, 13.0));
  }
  // A few stones lie against the feet of the plants and the rocks.
  for (double x : {55.0, 74.0, 97.0, 121.0, 143.0, 430.0, 468.0, 497.0, 535.0, 590.0, 624.0}) {
    pebble(QPointF(x + rng.Range(-4, 4), kGravelTop - rng.Range(0.5, 2.0)), rng.Range(5.0, 7.0));
  }
}

}  // namespace

QImage TankPicture() {
  Prng rng(0x7A4B);
  const Layer scene = DrawLayer(kWidth, kHeight, [&](QPainter& p) {
    // The water is one flat colour: the sense of depth comes from what is in it.
    p.fillRect(QRectF(0, kWaterLine, kWidth, kHeight - kWaterLine), QColor(204, 255, 204));
    DrawPlants(p, rng);
    DrawRocks(p, rng);
    DrawPipe(p);
    // The air gap above the water line stays pure white all along, the pipe
    // included: it goes up behind the rim of the tank.
    p.fillRect(QRectF(0, 0, kWidth, kWaterLine), Qt::white);
  });
  // The gravel is a layer of its own with hard edges and gentle dithering:
  // blended into each other, stones this small turn to mush.
  const Layer gravel = DrawLayer(kWidth, kHeight, [&](QPainter& p) { DrawGravel(p, rng); });
  QImage picture = NewIndexedPicture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    uchar* row = picture.scanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      const std::size_t i = scene.Index(x, y);
      const int index = gravel.Solid(x, y) ? DitheredIndex(gravel.colour[i], x, y, 0.4)
                                           : DitheredIndex(scene.colour[i], x, y);
      row[x] = static_cast<uchar>(index);
    }
  }
  return picture;
}

}  // namespace finbowl::art
