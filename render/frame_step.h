#pragma once

#include <functional>

#include "render/tank_surfaces.h"
#include "shell/settings_record.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// One frame: each live fish takes its swimming step, lower indexes first, and
// the frame is drawn and presented (DrawLatestFrame). `clientWidth` is the
// tank window's current client width, which places the right wall. While the
// tank cannot be seen the fish swim on but nothing is drawn.
void FrameStep(TankSurfaces& surfaces, FishTable& table, const SettingsRecord& settings,
               RandomSource& random, const std::function<int()>& clientWidth);

// Composes the latest frame in `work` from the bare tank, each live fish's
// bubble (when it rose in that frame) and then the fish, lower indexes first,
// so a fish swims in front of every fish and bubble before it; copies it onto
// the visible tank and presents it. Only the parts where sprites lie in this
// frame or lay in the last are copied and presented: everywhere else all
// three hold the bare tank already.
void DrawLatestFrame(TankSurfaces& surfaces);

}  // namespace finbowl
