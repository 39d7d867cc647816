#pragma once

#include <QColor>
#include <QPainter>

namespace finbowl::art {

// The colours of one kind of goldfish.
struct FishLook {
  QColor back;  // lit top of the body
  QColor body;
  QColor shade;  // lower flank, away from the light
  QColor belly;
  QColor scale;    // scale arcs
  QColor finBase;  // fins where they meet the body
  QColor finMid;
  QColor finEdge;
  QColor finRay;
  QColor eyeRing;
  QColor mark;  // gill line and mouth
};

FishLook RedGoldfish();
FishLook BlackGoldfish();

inline constexpr int kStrokePhases = 3;

// Draws a goldfish facing right into the 75 x 75 cell of the painter's current
// coordinates. `phase` 0..2 is the point of the swimming stroke: the tail
// swings up, level and down and the pectoral fin flaps, while the body and the
// eye stay where they are. Small pictures leave out the scale arcs and rays.
void DrawGoldfish(QPainter& painter, const FishLook& look, int phase, bool detailed);

}  // namespace finbowl::art
