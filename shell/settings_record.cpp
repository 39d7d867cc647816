#include "shell/settings_record.h"

#include <algorithm>

namespace finbowl {
namespace {

std::int16_t Field(const SettingsRecord& record, std::size_t index) {
  return index == 0 ? record.lastFish : record.fishKind[index - 1];
}

std::int16_t& Field(SettingsRecord& record, std::size_t index) {
  return index == 0 ? record.lastFish : record.fishKind[index - 1];
}

}  // namespace

void DecodeSettings(std::span<const std::uint8_t> bytes, SettingsRecord& record) {
  const std::size_t count = std::min(bytes.size(), kSettingsBytes);
  for (std::size_t b = 0; b < count; ++b) {
    std::int16_t& field = Field(record, b / 2);
    auto bits = static_cast<std::uint16_t>(field);
    const unsigned shift = (b % 2) * 8;
    bits = static_cast<std::uint16_t>((bits & ~(0xFFu << shift)) | (unsigned{bytes[b]} << shift));
    field = static_cast<std::int16_t>(bits);
  }
}

SettingsBytes EncodeSettings(const SettingsRecord& record) {
  SettingsBytes bytes{};
  for (std::size_t f = 0; f < kSettingsBytes / 2; ++f) {
    const auto bits = static_cast<std::uint16_t>(Field(record, f));
    bytes[2 * f] = static_cast<std::uint8_t>(bits & 0xFFu);
    bytes[2 * f + 1] = static_cast<std::uint8_t>(bits >> 8);
  }
  return bytes;
}

bool BringIntoRange(SettingsRecord& record) {
  const std::int16_t clamped = std::clamp<std::int16_t>(record.lastFish, 0, kMaxLastFish);
  const bool changed = clamped != record.lastFish;
  record.lastFish = clamped;
  return changed;
}

}  // namespace finbowl
