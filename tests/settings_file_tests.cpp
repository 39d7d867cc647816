#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "shell/settings_file.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace finbowl {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

// Collects what would go to stderr.
struct Reports {
  std::vector<std::string> lines;
  ReportFn fn() {
    return [this](const std::string& line) { lines.push_back(line); };
  }
};

const Bytes kZeros(14, 0);

TEST(SettingsFile, MissingFileIsCreatedEmptyAndGetsFourteenBytesOnWrite) {
  TempDir dir;
  const std::string set = dir.File("SET");
  Reports reports;
  SettingsRecord settings;
  ReadSettings(settings, set, reports.fn());
  EXPECT_EQ(settings, SettingsRecord{});
  ASSERT_TRUE(std::filesystem::exists(set));
  EXPECT_EQ(std::filesystem::file_size(set), 0u);
  EXPECT_TRUE(reports.lines.empty());

  WriteSettings(settings, set, reports.fn());
  EXPECT_EQ(ReadBytes(set), kZeros);
  EXPECT_TRUE(reports.lines.empty());
}

TEST(SettingsFile, ShortAndLongFiles) {
  TempDir dir;
  const std::string set = dir.File("SET");

  // Only lastFish: two goldfish, both red.
  WriteBytes(set, {0x01, 0x00});
  SettingsRecord two;
  ReadSettings(two, set);
  EXPECT_EQ(two.lastFish, 1);
  EXPECT_EQ(two.fishKind, (std::array<std::int16_t, 6>{}));

  // Twenty bytes: the first fourteen are the record, the last six survive a write.
  const Bytes twenty = {0x03, 0, 1, 0, 0,    0,    1,    0,    0,    0,
                        0,    0, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF, 0x55, 0x66};
  WriteBytes(set, twenty);
  SettingsRecord settings;
  ReadSettings(settings, set);
  EXPECT_EQ(settings.lastFish, 3);
  EXPECT_EQ(settings.fishKind, (std::array<std::int16_t, 6>{1, 0, 1, 0, 0, 0}));
  settings.lastFish = 4;
  WriteSettings(settings, set);
  Bytes expected = twenty;
  expected[0] = 0x04;
  EXPECT_EQ(ReadBytes(set), expected);
}

TEST(SettingsFile, UsesTheCurrentDirectory) {
  TempDir first, second;
  WriteBytes(first.File("SET"), {0x02, 0x00});
  WriteBytes(second.File("SET"), {0x04, 0x00});
  for (const auto* dir : {&first, &second}) {
    testing::ScopedCurrentDir inside(dir->path());
    SettingsRecord settings;
    ReadSettings(settings);
    settings.fishKind[0] = 1;
    WriteSettings(settings);
  }
  EXPECT_EQ(ReadBytes(first.File("SET")), (Bytes{2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ReadBytes(second.File("SET")), (Bytes{4, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SettingsFile, OutOfRangeFishCountIsClampedAndReported) {
  TempDir dir;
  const std::string set = dir.File("SET");
  for (const auto& [bytes, lastFish] : std::vector<std::pair<Bytes, int>>{{{0x05, 0x00, 1, 0}, 4},
                                                                          {{0xFF, 0x7F}, 4},
                                                                          {{0xFF, 0xFF, 1, 0}, 0},
                                                                          {{0x00, 0x80}, 0}}) {
    WriteBytes(set, bytes);
    Reports reports;
    SettingsRecord settings;
    ReadSettings(settings, set, reports.fn());
    EXPECT_EQ(settings.lastFish, lastFish);
    ASSERT_EQ(reports.lines.size(), 1u);
    EXPECT_NE(reports.lines[0].find("goldfish"), std::string::npos) << reports.lines[0];
  }
}

TEST(SettingsFile, FilesThatAreNotSettingsStartWithTheDefault) {
  TempDir dir;
  // A directory called SET, and a FIFO (which must not hang the start-up).
  const std::string asDirectory = dir.File("dir");
  std::filesystem::create_directories(asDirectory + "/SET");
  const std::string fifo = dir.File("SET-fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

  for (const std::string& path : {asDirectory + "/SET", fifo}) {
    Reports reports;
    SettingsRecord settings;
    settings.fishKind[0] = 0;
    ReadSettings(settings, path, reports.fn());
    EXPECT_EQ(settings, SettingsRecord{}) << path;
    EXPECT_EQ(reports.lines.size(), 1u) << path;

    // Writing is refused the same way, and the close goes on.
    Reports writeReports;
    settings.lastFish = 3;
    WriteSettings(settings, path, writeReports.fn());
    EXPECT_EQ(writeReports.lines.size(), 1u) << path;
  }
  EXPECT_TRUE(std::filesystem::is_directory(asDirectory + "/SET"));
}

TEST(SettingsFile, PermissionProblems) {
  TempDir dir;
  testing::GiveToUnprivileged(dir.path().string());
  const std::string set = dir.File("SET");
  const std::string output = testing::RunUnprivileged([&] {
    std::string out;
    Reports reports;

    // A read-only SET is still read, and saving to it fails without harm.
    WriteBytes(set, {0x02, 0x00, 0x01, 0x00});
    ::chmod(set.c_str(), 0444);
    SettingsRecord settings;
    ReadSettings(settings, set, reports.fn());
    out += "read-only:" + std::to_string(settings.lastFish) + "," +
           std::to_string(settings.fishKind[0]) + "," + std::to_string(reports.lines.size()) + ";";
    settings.lastFish = 4;
    WriteSettings(settings, set, reports.fn());
    out += "unchanged:" + std::to_string(ReadBytes(set) == Bytes{2, 0, 1, 0}) + "," +
           std::to_string(reports.lines.size()) + ";";

    // An unreadable SET gives the default record.
    ::chmod(set.c_str(), 0200);
    reports.lines.clear();
    SettingsRecord unreadable;
    ReadSettings(unreadable, set, reports.fn());
    out += "unreadable:" + std::to_string(unreadable == SettingsRecord{}) + "," +
           std::to_string(reports.lines.size()) + ";";

    // A directory that cannot take a new SET.
    const std::string locked = dir.File("locked");
    ::mkdir(locked.c_str(), 0555);
    reports.lines.clear();
    SettingsRecord fresh;
    ReadSettings(fresh, locked + "/SET", reports.fn());
    WriteSettings(fresh, locked + "/SET", reports.fn());
    out += "locked:" + std::to_string(fresh == SettingsRecord{}) + "," +
           std::to_string(reports.lines.size());
    return out;
  });
  EXPECT_EQ(output, "read-only:2,1,1;unchanged:1,2;unreadable:1,1;locked:1,2");
}

TEST(SettingsFile, AnyFileContentGivesAUsableRecordAndIsNotChangedByReading) {
  TempDir dir;
  const std::string set = dir.File("SET");
  std::mt19937 generator(14);
  for (int trial = 0; trial < 300; ++trial) {
    Bytes bytes(std::uniform_int_distribution<std::size_t>(0, 64)(generator));
    for (auto& b : bytes) {
      b = static_cast<std::uint8_t>(generator());
    }
    WriteBytes(set, bytes);
    SettingsRecord settings;
    ReadSettings(settings, set, [](const std::string&) {});
    ASSERT_GE(settings.lastFish, 0);
    ASSERT_LE(settings.lastFish, kMaxLastFish);
    ASSERT_EQ(ReadBytes(set), bytes);
  }
}

}  // namespace
}  // namespace finbowl
