#pragma once

#include <functional>

#include "render/tank.h"
#include "sim/aquarium.h"

namespace finbowl {

// One frame: each live fish takes its swimming step, lower indexes first, and
// the tank shows the frame: the bare tank, and for each live fish its bubble
// when it rose and then the fish, so a fish swims in front of every fish and
// bubble before it. `clientWidth` is the tank window's client width, which
// places the right wall; nothing can resize the window while a frame runs.
void FrameStep(Tank& tank, Aquarium& aquarium, int clientWidth);

// Stocks the live fish from the settings, in a tank whose drawing area is as
// high as `clientHeight` says for each fish, and draws them into work.
void StockTank(Tank& tank, Aquarium& aquarium, const std::function<int()>& clientHeight);

}  // namespace finbowl
