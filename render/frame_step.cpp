#include "render/frame_step.h"

#include "sim/live_fish.h"
#include "sim/swim.h"

namespace finbowl {

void FrameStep(Tank& tank, FishTable& table, const SettingsRecord& settings, RandomSource& random,
               int clientWidth) {
  // Swimming never reads what was drawn, so the frame can be drawn after all
  // the fish have moved, from what each showed when it moved.
  Frame frame;
  const int lastFish = LastLiveFish(settings);
  for (int i = 0; i <= lastFish; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const bool bubbleRose = SwimFish(table, i, clientWidth, random);
    frame.shown[slot] = {table.fish[slot], bubbleRose, table.bubble[slot]};
    frame.count = i + 1;
  }
  tank.ShowFrame(frame);
}

}  // namespace finbowl
