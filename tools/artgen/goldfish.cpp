#include "goldfish.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace finbowl::art {
namespace {

// The caudal peduncle, the point the tail swings about.
constexpr QPointF kTailPivot(29.0, 41.0);
constexpr double kTailLength = 27.0;
// Degrees per phase; positive turns the tail up.
constexpr std::array<double, kStrokePhases> kTailSwing = {15.0, 0.0, -15.0};
constexpr std::array<double, kStrokePhases> kPectoralAngle = {30.0, 55.0, 80.0};

// The tail bends rather than swinging stiffly: its far edge turns further than
// its root, which is what makes it look like a soft fin.
QPointF Bend(QPointF p, double swingDegrees) {
  const QPointF d = p - kTailPivot;
  const double along = std::clamp(-d.x() / kTailLength, 0.0, 1.0);
  const double angle = swingDegrees * (0.45 + 0.55 * along) * std::numbers::pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  return kTailPivot + QPointF(d.x() * c - d.y() * s, d.x() * s + d.y() * c);
}

// A closed path of cubic segments given as (control, control, end) triples
// after a start point, every point bent with the tail.
QPainterPath BentPath(QPointF start, std::initializer_list<std::array<QPointF, 3>> segments,
                      double swing) {
  QPainterPath path(Bend(kTailPivot + start, swing));
  for (const auto& seg : segments) {
    path.cubicTo(Bend(kTailPivot + seg[0], swing), Bend(kTailPivot + seg[1], swing),
                 Bend(kTailPivot + seg[2], swing));
  }
  path.closeSubpath();
  return path;
}

QPointF Polar(QPointF from, double degrees, double length) {
  const double a = degrees * std::numbers::pi / 180.0;
  return from + QPointF(std::cos(a), std::sin(a)) * length;
}

QPainterPath TailPath(double swing) {
  // Offsets from the pivot: an upper and a lower lobe, each a broad fan with a
  // rounded end, meeting in a deep fork.
  return BentPath({3, -4},
                  {{{{-4, -9}, {-11, -19}, {-18, -21}}},
                   {{{-23, -22.5}, {-27, -18}, {-27, -13}}},
                   {{{-27, -9}, {-25, -6}, {-22.5, -4}}},
                   {{{-20, -2}, {-17, -1}, {-14.5, 0}}},
                   {{{-17, 1}, {-20, 2}, {-22.5, 4}}},
                   {{{-25, 6}, {-27, 9}, {-27, 13}}},
                   {{{-27, 18}, {-23, 22.5}, {-18, 21}}},
                   {{{-11, 19}, {-4, 9}, {3, 4}}}},
                  swing);
}

QPainterPath BodyPath() {
  QPainterPath path(QPointF(27, 37));
  path.cubicTo(QPointF(33, 30), QPointF(40, 26.5), QPointF(48, 26.5));
  path.cubicTo(QPointF(56, 26.5), QPointF(63, 30), QPointF(67, 36.5));
  path.cubicTo(QPointF(69.5, 40), QPointF(69.5, 43), QPointF(67, 46));
  path.cubicTo(QPointF(63, 51.5), QPointF(55, 54.5), QPointF(46, 54.5));
  path.cubicTo(QPointF(38, 54.5), QPointF(32, 51), QPointF(27, 46));
  path.closeSubpath();
  return path;
}

QPainterPath DorsalPath() {
  QPainterPath path(QPointF(55, 28.5));
  path.cubicTo(QPointF(53, 21), QPointF(49, 16), QPointF(44, 14.2));
  path.cubicTo(QPointF(42, 17), QPointF(40, 19), QPointF(38, 20));
  path.cubicTo(QPointF(36.5, 23.5), QPointF(34, 27.5), QPointF(30, 33));
  path.lineTo(QPointF(42, 31));
  path.closeSubpath();
  return path;
}

// A small fin as a rounded leaf along +x from its root, turned by `degrees`
// (clockwise on screen, so 90 points straight down).
QPainterPath FinPath(QPointF root, double degrees, double length, double width) {
  QPainterPath leaf(QPointF(0, -width * 0.35));
  leaf.cubicTo(QPointF(length * 0.4, -width * 0.75), QPointF(length * 0.9, -width * 0.6),
               QPointF(length, 0));
  leaf.cubicTo(QPointF(length * 0.9, width * 0.5), QPointF(length * 0.4, width * 0.65),
               QPointF(0, width * 0.35));
  leaf.closeSubpath();
  QTransform turn;
  turn.translate(root.x(), root.y());
  turn.rotate(degrees);
  return turn.map(leaf);
}

void FillFin(QPainter& p, const QPainterPath& fin, QPointF root, double reach,
             const FishLook& look) {
  QRadialGradient fill(root, reach);
  fill.setColorAt(0.0, look.finBase);
  fill.setColorAt(0.45, look.finMid);
  fill.setColorAt(1.0, look.finEdge);
  p.fillPath(fin, fill);
}

// Rays fanning out from the root of a fin, kept inside it.
void FinRays(QPainter& p, const QPainterPath& fin, const FishLook& look, double swing,
             std::initializer_list<QPointF> tips, QPointF root) {
  p.save();
  p.setClipPath(fin, Qt::IntersectClip);
  p.setPen(QPen(look.finRay, 0.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (QPointF tip : tips) {
    QPainterPath ray(Bend(root, swing));
    for (int k = 1; k <= 8; ++k) {
      const double t = k / 8.0;
      ray.lineTo(Bend(root + (tip - root) * t, swing));
    }
    p.drawPath(ray);
  }
  p.restore();
}

void DrawTail(QPainter& p, const FishLook& look, double swing, bool detailed) {
  const QPainterPath tail = TailPath(swing);
  QRadialGradient fill(Bend(kTailPivot, swing), kTailLength);
  fill.setColorAt(0.0, look.finBase);
  fill.setColorAt(0.4, look.finMid);
  fill.setColorAt(1.0, look.finEdge);
  p.fillPath(tail, fill);
  if (detailed) {
    const QPointF root = kTailPivot + QPointF(2, 0);
    FinRays(p, tail, look, swing,
            {kTailPivot + QPointF(-19, -21), kTailPivot + QPointF(-25, -17),
             kTailPivot + QPointF(-27, -11), kTailPivot + QPointF(-23, -5),
             kTailPivot + QPointF(-23, 5), kTailPivot + QPointF(-27, 11),
             kTailPivot + QPointF(-25, 17), kTailPivot + QPointF(-19, 21)},
            root);
  }
}

void DrawBody(QPainter& p, const FishLook& look, bool detailed) {
  const QPainterPath body = BodyPath();
  p.fillPath(body, look.body);

  p.save();
  p.setClipPath(body, Qt::IntersectClip);
  // Gradients in unit circles, stretched over the body by the brush transform.
  auto glow = [&](const QColor& colour, std::initializer_list<std::pair<double, double>> stops,
                  QPointF centre, double rx, double ry) {
    QRadialGradient g(QPointF(0, 0), 1.0);
    for (const auto& [at, alpha] : stops) {
      QColor c = colour;
      c.setAlphaF(static_cast<float>(alpha));
      g.setColorAt(at, c);
    }
    QBrush brush(g);
    brush.setTransform(QTransform::fromScale(rx, ry) *
                       QTransform::fromTranslate(centre.x(), centre.y()));
    p.fillRect(QRectF(20, 20, 55, 40), brush);
  };
  // The body is round: it darkens towards its edges and most of all below,
  // away from the light.
  glow(look.shade, {{0.0, 0.0}, {0.62, 0.0}, {0.8, 1.0}, {1.0, 1.0}}, QPointF(48, 33), 24, 21);
  // The pale belly under the head.
  glow(look.belly, {{0.0, 1.0}, {0.5, 1.0}, {1.0, 0.0}}, QPointF(57, 51), 11, 6);
  // Light from above on the ridge of the back.
  glow(look.back, {{0.0, 1.0}, {0.55, 1.0}, {1.0, 0.0}}, QPointF(47, 28.5), 15, 5);

  if (detailed) {
    // Rows of scale arcs on the flank, bowed towards the tail.
    p.setPen(QPen(look.scale, 0.9, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int row = 0; row < 2; ++row) {
      for (int col = 0; col < 3; ++col) {
        const double cx = 37.0 + col * 5.5 + row * 2.75;
        const double cy = 36.0 + row * 5.0;
        p.drawArc(QRectF(cx - 2.8, cy - 2.8, 5.6, 5.6), 120 * 16, 120 * 16);
      }
    }
  }
  // The gill cover marks off the head.
  p.setPen(QPen(look.mark, 0.7, Qt::SolidLine, Qt::RoundCap));
  QPainterPath gill(QPointF(57, 30));
  gill.cubicTo(QPointF(53.5, 35), QPointF(53.5, 44), QPointF(56.5, 50));
  p.drawPath(gill);
  p.restore();
}

void DrawEye(QPainter& p, const FishLook& look, bool detailed) {
  p.setPen(Qt::NoPen);
  if (detailed) {
    p.setBrush(look.eyeRing);
    p.drawEllipse(QPointF(61.5, 37.5), 3.1, 3.1);
    p.setBrush(QColor(0, 0, 0));
    p.drawEllipse(QPointF(61.5, 37.5), 2.0, 2.0);
    // One pure white pixel, placed on the pixel grid so it stays exactly white.
    p.fillRect(QRectF(62, 36, 1, 1), QColor(255, 255, 255));
  } else {
    // Drawn small, the eye has to be bold to survive at all.
    p.setBrush(QColor(0, 0, 0));
    p.drawEllipse(QPointF(61.5, 37.5), 3.4, 3.4);
  }
  // The mouth.
  p.setPen(QPen(look.mark, 0.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(69, 42.5), QPointF(66.5, 43.5));
}

}  // namespace

FishLook RedGoldfish() {
  return FishLook{
      .back = QColor(255, 153, 51),
      .body = QColor(255, 102, 0),
      .shade = QColor(204, 51, 0),
      .belly = QColor(255, 204, 153),
      .scale = QColor(255, 170, 70),
      .finBase = QColor(255, 125, 50),
      .finMid = QColor(255, 153, 110),
      .finEdge = QColor(255, 204, 204),
      .finRay = QColor(255, 110, 60),
      .eyeRing = QColor(255, 204, 0),
      .mark = QColor(153, 40, 0),
  };
}

FishLook BlackGoldfish() {
  return FishLook{
      .back = QColor(85, 85, 85),
      .body = QColor(51, 51, 51),
      .shade = QColor(30, 30, 30),
      .belly = QColor(75, 75, 75),
      .scale = QColor(80, 80, 80),
      .finBase = QColor(51, 51, 51),
      .finMid = QColor(60, 82, 80),
      .finEdge = QColor(60, 76, 112),
      .finRay = QColor(20, 35, 40),
      .eyeRing = QColor(153, 153, 102),
      .mark = QColor(0, 0, 0),
  };
}

void DrawGoldfish(QPainter& p, const FishLook& look, int phase, bool detailed) {
  // Whole pixels only, so the eye's highlight stays on the pixel grid. The
  // shift leaves room for the tail's swing inside the cell.
  p.save();
  p.translate(2, 0);
  const double swing = kTailSwing[static_cast<std::size_t>(phase)];
  const double flap = kPectoralAngle[static_cast<std::size_t>(phase)];

  // Back to front: the far fins, the tail, the dorsal fin, the body, the near fins.
  const QPointF analRoot(34, 50);
  const QPainterPath anal = FinPath(analRoot, 150, 8, 5);
  FillFin(p, anal, analRoot, 8, look);
  DrawTail(p, look, swing, detailed);
  const QPainterPath dorsal = DorsalPath();
  FillFin(p, dorsal, QPointF(46, 30), 16, look);
  if (detailed) {
    FinRays(p, dorsal, look, 0.0,
            {QPointF(44, 14), QPointF(41, 18), QPointF(38, 22), QPointF(35, 26)}, QPointF(48, 32));
  }
  DrawBody(p, look, detailed);

  const QPointF pelvicRoot(44, 53);
  const QPainterPath pelvic = FinPath(pelvicRoot, 140, 10, 4.5);
  FillFin(p, pelvic, pelvicRoot, 9, look);
  const QPointF pectoralRoot(53, 46.5);
  const QPainterPath pectoral = FinPath(pectoralRoot, 180 - flap, 10, 5.5);
  FillFin(p, pectoral, pectoralRoot, 10, look);
  // The near pectoral fin lies over the pale belly; a fine edge keeps it apart.
  p.strokePath(pectoral, QPen(look.finRay, 0.5));
  if (detailed) {
    FinRays(p, pectoral, look, 0.0,
            {Polar(pectoralRoot, 180 - flap + 12, 10), Polar(pectoralRoot, 180 - flap - 12, 10)},
            pectoralRoot);
  }
  DrawEye(p, look, detailed);
  p.restore();
}

}  // namespace finbowl::art
