#include "render/frame_step.h"

#include "render/draw_sprite.h"
#include "sim/live_fish.h"
#include "sim/swim.h"

namespace finbowl {

void FrameStep(TankSurfaces& surfaces, FishTable& table, const SettingsRecord& settings,
               RandomSource& random, const std::function<int()>& clientWidth) {
  surfaces.suisou->FrameBegins();
  BitBlt(*surfaces.work, 0, 0, kTankWidth, kTankHeight, *surfaces.back, 0, 0, RasterOp::SrcCopy);
  const int lastFish = LastLiveFish(settings);
  for (int i = 0; i <= lastFish; ++i) {
    if (SwimFish(table, i, clientWidth(), random)) {
      DrawBubble(surfaces, table.bubble[static_cast<std::size_t>(i)]);
    }
    DrawFish(surfaces, table.fish[static_cast<std::size_t>(i)]);
  }
  // Only the finished frame is ever shown, so one copy after the loop does
  // what a copy after every fish would.
  Surface& visible = surfaces.suisou->Image();
  BitBlt(visible, 0, 0, kTankWidth, kTankHeight, *surfaces.work, 0, 0, RasterOp::SrcCopy);
  surfaces.suisou->Refresh();
}

}  // namespace finbowl
