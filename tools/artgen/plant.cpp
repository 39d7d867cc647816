#include "plant.h"

#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace finbowl::art {
namespace {

QPointF Lerp(QPointF a, QPointF b, double t) {
  return a + (b - a) * t;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                          static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                          static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// A narrow pointed leaflet from `base` to `tip`, bowed by `bulge` sideways.
QPainterPath Leaflet(QPointF base, QPointF tip, double width, double bulge) {
  const QPointF d = tip - base;
  const double length = std::hypot(d.x(), d.y());
  const QPointF across = length > 0 ? QPointF(-d.y(), d.x()) / length : QPointF(0, 0);
  const QPointF mid = base + d * 0.5 + across * bulge;
  QPainterPath path(base - across * (width * 0.3));
  path.quadTo(mid - across * width, tip);
  path.quadTo(mid + across * width, base + across * (width * 0.3));
  path.closeSubpath();
  return path;
}

QPointF Toward(double angle) {
  return QPointF(std::cos(angle), std::sin(angle));
}

}  // namespace

void DrawPlantStem(QPainter& p, const PlantStem& stem, Prng& rng) {
  const QPointF top = stem.root + QPointF(stem.lean * stem.height, -stem.height);
  const QPointF control = Lerp(stem.root, top, 0.5) + QPointF(stem.bow * stem.height, 0);
  auto at = [&](double t) {
    return stem.root * ((1 - t) * (1 - t)) + control * (2 * (1 - t) * t) + top * (t * t);
  };
  auto heading = [&](double t) {
    const QPointF d = (control - stem.root) * (2 * (1 - t)) + (top - control) * (2 * t);
    return std::atan2(d.y(), d.x());
  };

  QPainterPath stalk(stem.root);
  stalk.quadTo(control, top);
  p.setPen(QPen(stem.stalk, stem.width, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(stalk);

  p.setPen(Qt::NoPen);
  const int pairs = std::max(2, static_cast<int>(stem.height / stem.spacing));
  for (int k = 1; k <= pairs; ++k) {
    const double t = static_cast<double>(k) / (pairs + 0.5);
    const QPointF base = at(t);
    const double up = heading(t);
    const double length = stem.leaflet * (1.0 - 0.6 * t) * rng.Range(0.8, 1.15);
    p.setBrush(t > 0.75 ? Mix(stem.leaf, stem.tipLeaf, (t - 0.75) / 0.25) : stem.leaf);
    // The leaflets stand out from the stalk and curl up at their ends; each
    // forks once, which is what makes the stem look feathery.
    for (int side = -1; side <= 1; side += 2) {
      const double angle = up + side * rng.Range(58, 80) * std::numbers::pi / 180.0;
      const QPointF tip = base + Toward(angle) * length + Toward(up) * (length * 0.4);
      const double width = stem.width * rng.Range(0.8, 1.1);
      p.drawPath(Leaflet(base, tip, width, side * length * 0.16));
      const QPointF fork = base + (tip - base) * 0.55;
      const double forkAngle = angle - side * 0.55;
      p.drawPath(Leaflet(fork, fork + Toward(forkAngle) * (length * 0.4), width * 0.7, 0));
    }
  }
  // A tuft of young leaves closes the tip.
  p.setBrush(stem.tipLeaf);
  for (int k = -2; k <= 2; ++k) {
    const double angle = heading(1.0) + k * 0.4;
    const double length = stem.leaflet * rng.Range(0.3, 0.45);
    p.drawPath(Leaflet(top, top + Toward(angle) * length, stem.width * 0.8, 0));
  }
}

}  // namespace finbowl::art
