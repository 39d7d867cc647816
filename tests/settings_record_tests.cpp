#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "shell/settings_record.h"

namespace finbowl {
namespace {

TEST(SettingsRecord, EncodesLittleEndianInFieldOrder) {
  // Three goldfish of which one is red, from the default record.
  SettingsRecord record;
  record.lastFish = 2;
  record.fishKind = {0, 1, 1, 0, 0, 0};
  const SettingsBytes expected = {0x02, 0, 0, 0, 0x01, 0, 0x01, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(EncodeSettings(record), expected);

  record.lastFish = -2;
  record.fishKind[5] = 0x1234;
  const SettingsBytes bytes = EncodeSettings(record);
  EXPECT_EQ(bytes[0], 0xFE);
  EXPECT_EQ(bytes[1], 0xFF);
  EXPECT_EQ(bytes[12], 0x34);
  EXPECT_EQ(bytes[13], 0x12);
}

TEST(SettingsRecord, DecodingFillsOnlyTheBytesGiven) {
  struct Row {
    std::vector<std::uint8_t> bytes;
    SettingsRecord expected;
  };
  const std::vector<Row> rows = {
      {{}, {}},
      {{0x01, 0x00}, {1, {0, 0, 0, 0, 0, 0}}},
      // An odd byte count sets the low byte of a field and keeps its high byte.
      {{0x03}, {3, {}}},
      {{0x04, 0x00, 0x01, 0x00, 0x00}, {4, {1, 0, 0, 0, 0, 0}}},
      {{0x02, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0}, {2, {0, 1, 1, 0, 0, 0}}},
      // Bytes past the fourteenth are not part of the record.
      {{0x01, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0xAA, 0xBB}, {1, {1, 1, 1, 1, 1, 1}}},
  };
  for (const Row& row : rows) {
    SettingsRecord record;
    DecodeSettings(row.bytes, record);
    EXPECT_EQ(record, row.expected) << "input of " << row.bytes.size() << " bytes";
  }

  // Missing bytes leave what the record already held.
  SettingsRecord record;
  record.fishKind = {7, 7, 7, 7, 7, 7};
  const std::vector<std::uint8_t> two = {0x02, 0x00};
  DecodeSettings(two, record);
  EXPECT_EQ(record.lastFish, 2);
  EXPECT_EQ(record.fishKind[0], 7);
}

TEST(SettingsRecord, BringIntoRangeClampsOnlyLastFish) {
  struct Row {
    std::int16_t stored, expected;
    bool changed;
  };
  for (const Row& row : {Row{0, 0, false}, Row{4, 4, false}, Row{5, 4, true}, Row{-1, 0, true},
                         Row{32767, 4, true}, Row{-32768, 0, true}}) {
    SettingsRecord record;
    record.lastFish = row.stored;
    record.fishKind = {9, -3, 1, 0, 2, 5};
    EXPECT_EQ(BringIntoRange(record), row.changed) << row.stored;
    EXPECT_EQ(record.lastFish, row.expected) << row.stored;
    const std::array<std::int16_t, kFishSlots> kinds = {9, -3, 1, 0, 2, 5};
    EXPECT_EQ(record.fishKind, kinds);
  }
}

TEST(SettingsRecord, AnyByteStringGivesAUsableRecordThatRoundTrips) {
  std::mt19937 generator(20261209);
  std::uniform_int_distribution<int> length(0, 64);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int trial = 0; trial < 5000; ++trial) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length(generator)));
    for (auto& b : bytes) {
      b = static_cast<std::uint8_t>(byte(generator));
    }
    SettingsRecord record;
    DecodeSettings(bytes, record);
    BringIntoRange(record);
    ASSERT_GE(record.lastFish, 0);
    ASSERT_LE(record.lastFish, kMaxLastFish);

    SettingsRecord again;
    DecodeSettings(EncodeSettings(record), again);
    ASSERT_EQ(again, record);
  }
}

}  // namespace
}  // namespace finbowl
