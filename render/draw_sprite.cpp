#include "render/draw_sprite.h"

#include "render/sprite_bounds.h"

namespace finbowl {
namespace {

// A cell of a built-in picture, cut to the part that pasting can change, which
// is noted as drawn into work.
void PasteCell(TankSurfaces& surfaces, const Surface& src, const Area& painted, int x, int y,
               int sx, int sy) {
  const Area cell = {x + painted.x, y + painted.y, painted.w, painted.h};
  PasteSprite(*surfaces.work, cell.x, cell.y, cell.w, cell.h, src, sx + painted.x, painted.y, 0,
              sy);
  surfaces.drawnInWork.Add(cell.ClippedTo(surfaces.work->Width(), surfaces.work->Height()));
}

}  // namespace

void DrawSprite(Surface& work, const Surface& src, int x, int y, int w, int h, int sx, int sy) {
  PasteSprite(work, x, y, w, h, src, sx, 0, 0, sy);
}

void DrawFish(TankSurfaces& surfaces, const Fish& fish) {
  // The sheet is always 0..3 and the frame column 0, 75 or 150; a damaged
  // record is left undrawn rather than read past the sheets.
  const int column = fish.frameX / kFishCell;
  if (fish.sheet < 0 || fish.sheet >= static_cast<int>(surfaces.pat.size()) ||
      fish.frameX % kFishCell != 0 || column < 0 || column > 2) {
    return;
  }
  const auto sheet = static_cast<std::size_t>(fish.sheet);
  PasteCell(surfaces, *surfaces.pat[sheet],
            LoadSpriteBounds().fish[sheet][static_cast<std::size_t>(column)], fish.x, fish.y,
            fish.frameX, kFishCell);
}

void DrawBubble(TankSurfaces& surfaces, const Bubble& bubble) {
  for (std::size_t k = 0; k < 2; ++k) {
    PasteCell(surfaces, *surfaces.awa, LoadSpriteBounds().bubble[k], bubble.x, bubble.y,
              kBubbleCell * static_cast<int>(k), kBubbleCell);
  }
}

}  // namespace finbowl
