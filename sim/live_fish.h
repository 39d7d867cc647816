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

// How many live fish are red and how many black: any kind but red counts
// as black, as the dialog offers only those two.
struct KindCounts {
  int red = 0;
  int black = 0;
};

inline KindCounts CountKinds(const SettingsRecord& settings) {
  KindCounts counts;
  for (int i = 0; i <= LastLiveFish(settings); ++i) {
    ++(settings.fishKind[static_cast<std::size_t>(i)] == kRedGoldfish ? counts.red : counts.black);
  }
  return counts;
}

}  // namespace finbowl
