#pragma once

#include <vector>

#include "render/tank.h"
#include "sim/fish_table.h"

namespace finbowl::testing {

// A frame to draw where it is set: rising fish hold still and fish that swim
// are scripted to step 0 px, so each fish and bubble is drawn at its place.
struct Scene {
  const char* what;
  std::vector<Fish> fish;  // x, y, dir, frameX, sheet, rising
  std::vector<Bubble> bubbles;
  std::vector<double> script;

  // The table of the scene and its last live fish.
  FishTable Table() const;
  int LastFish() const { return static_cast<int>(fish.size()) - 1; }
};

// One frame of the first `lastFish` + 1 fish of `table` on `tank`, the random
// values scripted (every one of them must be drawn); returns the table after it.
FishTable ScriptedFrame(Tank& tank, const FishTable& table, int lastFish,
                        const std::vector<double>& script);

// Cells cut at every edge, fish stacked over fish and bubbles, bubbles gone
// past the edges, fish wholly outside.
const std::vector<Scene>& EdgeScenes();

}  // namespace finbowl::testing
