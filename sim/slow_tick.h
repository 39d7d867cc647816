#pragma once

#include "shell/settings_record.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// One random decision for every live fish: a new vertical heading within its
// facing, a rise, or a new bubble. The rise and the bubble of the previous tick
// end first, so each lasts one tick.
void SlowTick(FishTable& table, const SettingsRecord& settings, RandomSource& random);

}  // namespace finbowl
