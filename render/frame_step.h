#pragma once

#include <functional>

#include "render/tank_surfaces.h"
#include "shell/settings_record.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// One frame: starts from the bare tank, moves each live fish one step and draws
// its bubble (when it rose this frame) and the fish, lower indexes first, so a
// fish swims in front of every fish and bubble before it; then presents the
// finished frame. `clientWidth` is the tank window's current client width,
// which places the right wall.
void FrameStep(TankSurfaces& surfaces, FishTable& table, const SettingsRecord& settings,
               RandomSource& random, const std::function<int()>& clientWidth);

}  // namespace finbowl
