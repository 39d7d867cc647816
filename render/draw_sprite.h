#pragma once

#include "platform/surface.h"
#include "render/tank_surfaces.h"
#include "sim/fish_table.h"

namespace finbowl {

// Pastes the w x h cell at (sx, 0) of `src` into `work` at (x, y) through its
// mask at (sx, sy): the mask's black takes the colour cell, its white keeps
// what `work` showed. Cells reaching past an edge of `work` are clipped.
void DrawSprite(Surface& work, const Surface& src, int x, int y, int w, int h, int sx, int sy);

// A fish from its sheet, at its place, in its current swimming frame.
void DrawFish(TankSurfaces& surfaces, const Fish& fish);

// A bubble: the blue rings and then the green ones over them, at one place.
void DrawBubble(TankSurfaces& surfaces, const Bubble& bubble);

}  // namespace finbowl
