#include "support/scenes.h"

#include <algorithm>

#include "render/frame_step.h"
#include "support/scripted_random.h"

namespace finbowl::testing {

FishTable ScriptedFrame(Tank& tank, const FishTable& table, int lastFish,
                        const std::vector<double>& script) {
  SettingsRecord settings;
  settings.lastFish = static_cast<std::int16_t>(lastFish);
  Aquarium aquarium(settings, std::make_unique<ScriptedRandom>(script), table);
  FrameStep(tank, aquarium, kTankWidth);
  return aquarium.table();
}

FishTable Scene::Table() const {
  FishTable table;
  std::copy(fish.begin(), fish.end(), table.fish.begin());
  std::copy(bubbles.begin(), bubbles.end(), table.bubble.begin());
  return table;
}

const std::vector<Scene>& EdgeScenes() {
  static const std::vector<Scene> scenes = {
      {"cut at the top, the right and the bottom-left corner",
       {{100, -11, 1, 0, 0, 1}, {570, 200, 4, 150, 3, 1}, {-30, 398, 1, 75, 2, 1}},
       {},
       {}},
      {"cut at every edge",
       {{-40, 200, 1, 0, 0, 1},
        {600, 150, 4, 75, 1, 1},
        {300, -60, 1, 150, 2, 1},
        {200, 420, 4, 0, 3, 1},
        {-60, -60, 1, 75, 0, 1}},
       {},
       {}},
      {"higher indexes in front", {{200, 150, 1, 0, 0, 1}, {200, 150, 1, 75, 2, 1}}, {}, {}},
      // Fish 1 swims 0 px, so its bubble rises 0 px and is drawn; fish 0 and
      // 2 rise, overlapping it: it lies over fish 0 and under fish 1 and 2.
      {"a bubble over the fish before its own",
       {{300, 100, 1, 0, 0, 1}, {260, 60, 1, 0, 2, 0}, {330, 120, 4, 0, 1, 1}},
       {{0, 0, 0}, {1, 340, 120}},
       {0, 0}},
      {"overlapping fish and bubbles",
       {{200, 150, 1, 0, 0, 0}, {215, 160, 1, 75, 2, 0}, {230, 150, 4, 150, 3, 1}},
       {{1, 240, 170}, {1, 250, 180}, {1, 235, 175}},
       {0, 0, 0, 0}},
      {"bubbles clipped and gone",
       {{100, 0, 1, 0, 0, 0}, {560, 300, 1, 0, 2, 0}},
       {{1, 620, -20}, {1, 630, 440}},
       {0, 0, 0, 0}},
      {"wholly outside", {{700, 500, 1, 0, 0, 1}, {-200, -200, 4, 0, 1, 1}}, {}, {}},
  };
  return scenes;
}

}  // namespace finbowl::testing
