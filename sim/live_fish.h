#pragma once

#include <algorithm>

#include "shell/settings_record.h"

namespace finbowl {

// Index of the last live fish; a loop over the live fish reads it once and runs
// from 0 to it inclusive. Whatever the record holds, the loop stays within the
// six slots, and a negative lastFish leaves no fish live.
inline int LastLiveFish(const SettingsRecord& settings) {
  return std::min<int>(settings.lastFish, kFishSlots - 1);
}

}  // namespace finbowl
