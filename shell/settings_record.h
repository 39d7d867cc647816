#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace finbowl {

// Number of fish slots. The program offers one to five goldfish, but the record
// and the fish tables keep a sixth slot, and the file keeps all six kinds.
inline constexpr int kFishSlots = 6;
// The highest lastFish the program ever uses (five goldfish).
inline constexpr std::int16_t kMaxLastFish = 4;
// Kinds of goldfish held in fishKind.
inline constexpr std::int16_t kRedGoldfish = 0;
inline constexpr std::int16_t kBlackGoldfish = 1;

// The only state that outlives a run. All zero is the default: one red goldfish.
struct SettingsRecord {
  std::int16_t lastFish = 0;  // index of the last fish slot in use
  std::array<std::int16_t, kFishSlots> fishKind{};

  friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

// Size of the record on disk: lastFish, then the six kinds, little-endian.
inline constexpr std::size_t kSettingsBytes = 14;
using SettingsBytes = std::array<std::uint8_t, kSettingsBytes>;

// Fills the record from the start of `bytes`, at most 14 of them; the bytes the
// input lacks keep the record's bytes as they were.
void DecodeSettings(std::span<const std::uint8_t> bytes, SettingsRecord& record);
SettingsBytes EncodeSettings(const SettingsRecord& record);

// A lastFish outside 0..4 would index past the dialog's range and is clamped to
// the nearest end; the kinds are kept, since stocking and the dialog cope with
// any value there. Returns whether anything changed.
bool BringIntoRange(SettingsRecord& record);

}  // namespace finbowl
