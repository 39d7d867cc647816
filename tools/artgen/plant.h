#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>

#include "prng.h"

namespace finbowl::art {

// One feathery stem: a thin stalk that leans and bows, with pairs of short
// leaflets all the way up that shorten towards the tip.
struct PlantStem {
  QPointF root;
  double height = 100;
  double lean = 0;     // sideways offset of the tip, as a fraction of the height
  double bow = 0;      // sideways bulge of the middle, likewise
  double leaflet = 9;  // length of the lowest leaflets
  double spacing = 6;  // distance between pairs along the stalk
  double width = 1.2;  // of the stalk, and of each leaflet at its widest
  QColor stalk;
  QColor leaf;
  QColor tipLeaf;  // young leaves near the top
};

// `rng` jitters the leaflets so no two stems look stamped out.
void DrawPlantStem(QPainter& painter, const PlantStem& stem, Prng& rng);

}  // namespace finbowl::art
