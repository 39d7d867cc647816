#include "render/frame_step.h"

#include "render/draw_sprite.h"
#include "sim/live_fish.h"
#include "sim/swim.h"

namespace finbowl {
namespace {

// Copies the parts `areas` of `src` onto `dst`, both tank-sized.
void CopyParts(Surface& dst, const Surface& src, const AreaSet& areas) {
  if (areas.CoversEverything()) {
    BitBlt(dst, 0, 0, kTankWidth, kTankHeight, src, 0, 0, RasterOp::SrcCopy);
    return;
  }
  for (const Area& a : areas) {
    BitBlt(dst, a.x, a.y, a.w, a.h, src, a.x, a.y, RasterOp::SrcCopy);
  }
}

}  // namespace

void FrameStep(TankSurfaces& surfaces, FishTable& table, const SettingsRecord& settings,
               RandomSource& random, const std::function<int()>& clientWidth) {
  // Swimming never reads what was drawn, so the frame can be drawn after all
  // the fish have moved, from what each showed when it moved.
  const int lastFish = LastLiveFish(settings);
  surfaces.latestCount = 0;
  for (int i = 0; i <= lastFish; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const bool bubbleRose = SwimFish(table, i, clientWidth(), random);
    surfaces.latest[slot] = {table.fish[slot], bubbleRose, table.bubble[slot]};
    surfaces.latestCount = i + 1;
  }
  surfaces.latestDrawn = false;
  if (surfaces.suisou->CanBeSeen()) {
    DrawLatestFrame(surfaces);
  }
}

void DrawLatestFrame(TankSurfaces& surfaces) {
  CopyParts(*surfaces.work, *surfaces.back, surfaces.drawnInWork);
  surfaces.drawnInWork.Clear();
  for (int i = 0; i < surfaces.latestCount; ++i) {
    const ShownFish& shown = surfaces.latest[static_cast<std::size_t>(i)];
    if (shown.bubbleShown) {
      DrawBubble(surfaces, shown.bubble);
    }
    DrawFish(surfaces, shown.fish);
  }
  // The image holds the last frame drawn: it differs from work where that
  // frame's sprites lay and where this one's lie.
  AreaSet changed = surfaces.drawnInImage;
  changed.Add(surfaces.drawnInWork);
  CopyParts(surfaces.suisou->Image(), *surfaces.work, changed);
  surfaces.suisou->Refresh(changed);
  surfaces.drawnInImage = surfaces.drawnInWork;
  surfaces.latestDrawn = true;
}

}  // namespace finbowl
