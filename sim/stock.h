#pragma once

#include <functional>

#include "shell/settings_record.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// Sets up the live fish from the settings: the right-facing sheet of each
// fish's kind, a heading of that sheet's facing that never points down, a
// random height and the first frame of the stroke. A fish keeps its x, and the
// bubbles are left as they are. clientHeight is asked afresh for every fish.
// The caller draws the stocked fish afterwards.
void StockTank(FishTable& table, const SettingsRecord& settings, RandomSource& random,
               const std::function<int()>& clientHeight);

}  // namespace finbowl
