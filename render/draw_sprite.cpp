#include "render/draw_sprite.h"

namespace finbowl {

void DrawSprite(Surface& work, const Surface& src, int x, int y, int w, int h, int sx, int sy) {
  BitBlt(work, x, y, w, h, src, sx, sy, RasterOp::SrcErase);
  BitBlt(work, x, y, w, h, src, sx, 0, RasterOp::SrcInvert);
}

void DrawFish(TankSurfaces& surfaces, const Fish& fish) {
  // The sheet is always 0..3; a damaged record is left undrawn rather than
  // read past the sheets.
  if (fish.sheet < 0 || fish.sheet >= static_cast<int>(surfaces.pat.size())) {
    return;
  }
  DrawSprite(*surfaces.work, *surfaces.pat[static_cast<std::size_t>(fish.sheet)], fish.x, fish.y,
             kFishCell, kFishCell, fish.frameX, kFishCell);
}

void DrawBubble(TankSurfaces& surfaces, const Bubble& bubble) {
  for (int k = 0; k < 2; ++k) {
    DrawSprite(*surfaces.work, *surfaces.awa, bubble.x, bubble.y, kBubbleCell, kBubbleCell,
               kBubbleCell * k, kBubbleCell);
  }
}

}  // namespace finbowl
