#pragma once

#include "render/tank.h"
#include "shell/settings_record.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// One frame: each live fish takes its swimming step, lower indexes first, and
// the tank shows the frame: the bare tank, and for each live fish its bubble
// when it rose and then the fish, so a fish swims in front of every fish and
// bubble before it. `clientWidth` is the tank window's client width, which
// places the right wall; nothing can resize the window while a frame runs.
void FrameStep(Tank& tank, FishTable& table, const SettingsRecord& settings, RandomSource& random,
               int clientWidth);

}  // namespace finbowl
