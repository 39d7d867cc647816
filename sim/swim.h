#pragma once

#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// Moves fish i by one frame in a tank whose drawing area is clientWidth pixels
// wide. Returns true when fish i moved normally with an active bubble: the
// bubble rose this frame and is to be drawn (the caller draws it just before
// fish i). While a fish bumps against a wall or rises, its bubble neither rises
// nor shows.
bool SwimFish(FishTable& table, int i, int clientWidth, RandomSource& random);

// Gives fish i the sheet of its own kind that faces its heading, after its
// heading has changed from one facing to the other.
void TurnSheet(FishTable& table, int i);

}  // namespace finbowl
