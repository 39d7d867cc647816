#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <random>
#include <sstream>

#include "shell/settings_file.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace finbowl {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

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
  SettingsFile file{set, reports.fn()};
  EXPECT_EQ(file.Read(), SettingsRecord{});
  ASSERT_TRUE(std::filesystem::exists(set));
  EXPECT_EQ(std::filesystem::file_size(set), 0u);
  EXPECT_TRUE(reports.lines.empty());

  file.Close();
  EXPECT_EQ(ReadBytes(set), kZeros);
  // Only the first close writes.
  WriteBytes(set, {7});
  file.Close();
  EXPECT_EQ(ReadBytes(set), Bytes{7});
  EXPECT_TRUE(reports.lines.empty());
}

TEST(SettingsFile, ShortAndLongFiles) {
  TempDir dir;
  const std::string set = dir.File("SET");

  // Only lastFish: two goldfish, both red.
  WriteBytes(set, {0x01, 0x00});
  const SettingsRecord two = SettingsFile{set}.Read();
  EXPECT_EQ(two.lastFish, 1);
  EXPECT_EQ(two.fishKind, (std::array<std::int16_t, 6>{}));

  // Twenty bytes: the first fourteen are the record, the last six survive a write.
  const Bytes twenty = {0x03, 0, 1, 0, 0,    0,    1,    0,    0,    0,
                        0,    0, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF, 0x55, 0x66};
  WriteBytes(set, twenty);
  SettingsFile file{set};
  SettingsRecord settings = file.Read();
  EXPECT_EQ(settings.lastFish, 3);
  EXPECT_EQ(settings.fishKind, (std::array<std::int16_t, 6>{1, 0, 1, 0, 0, 0}));
  settings.lastFish = 4;
  file.Confirm(settings);
  Bytes expected = twenty;
  expected[0] = 0x04;
  EXPECT_EQ(ReadBytes(set), expected);
  file.Close();
  EXPECT_EQ(ReadBytes(set), expected);
}

TEST(SettingsFile, UsesTheCurrentDirectory) {
  TempDir first, second;
  WriteBytes(first.File("SET"), {0x02, 0x00});
  WriteBytes(second.File("SET"), {0x04, 0x00});
  for (const auto* dir : {&first, &second}) {
    testing::ScopedCurrentDir inside(dir->path());
    SettingsFile file;
    SettingsRecord settings = file.Read();
    settings.fishKind[0] = 1;
    file.Confirm(settings);
    file.Close();
  }
  EXPECT_EQ(ReadBytes(first.File("SET")), (Bytes{2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ReadBytes(second.File("SET")), (Bytes{4, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SettingsFile, OutOfRangeFishCountIsClampedAndReported) {
  TempDir dir;
  testing::ScopedCurrentDir inside(dir.path());
  struct Row {
    Bytes bytes;
    int lastFish;
    std::string line;
  };
  const std::vector<Row> rows = {
      {{0x05, 0x00, 1, 0}, 4, "SET asks for 6 goldfish; using 5"},
      {{0xFF, 0x7F}, 4, "SET asks for 32768 goldfish; using 5"},
      // What the file holds, not what it would mean: -1 is no "0 goldfish".
      {{0xFF, 0xFF, 1, 0}, 0, "SET holds a number of goldfish below one (stored as -1); using 1"},
      {{0x00, 0x80}, 0, "SET holds a number of goldfish below one (stored as -32768); using 1"},
  };
  for (const Row& row : rows) {
    WriteBytes("SET", row.bytes);
    Reports reports;
    SettingsFile file{"SET", reports.fn()};
    const SettingsRecord settings = file.Read();
    EXPECT_EQ(settings.lastFish, row.lastFish);
    EXPECT_EQ(reports.lines, std::vector<std::string>{row.line});
    // The file was read; the close repairs it.
    file.Close();
    EXPECT_EQ(ReadBytes("SET")[0], row.lastFish);
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
    SettingsFile file{path, reports.fn()};
    SettingsRecord settings = file.Read();
    EXPECT_EQ(settings, SettingsRecord{}) << path;

    // Writing is refused for the same reason, even for a choice made with OK,
    // and the close goes on.
    settings.lastFish = 3;
    file.Confirm(settings);
    file.Close();
    const std::string refused = "cannot save settings: " + path + " is not a regular file";
    EXPECT_EQ(reports.lines, (std::vector<std::string>{
                                 path + " is not a regular file; starting with one red goldfish",
                                 refused, refused}));
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
    SettingsFile file{set, reports.fn()};
    SettingsRecord settings = file.Read();
    out += "read-only:" + std::to_string(settings.lastFish) + "," +
           std::to_string(settings.fishKind[0]) + "," + std::to_string(reports.lines.size()) + ";";
    settings.lastFish = 4;
    file.Confirm(settings);
    file.Close();
    out += "unchanged:" + std::to_string(ReadBytes(set) == Bytes{2, 0, 1, 0}) + "," +
           std::to_string(reports.lines.size()) + ";";

    // An unreadable SET gives the default record.
    ::chmod(set.c_str(), 0200);
    reports.lines.clear();
    SettingsFile unreadableFile{set, reports.fn()};
    const SettingsRecord unreadable = unreadableFile.Read();
    out += "unreadable:" + std::to_string(unreadable == SettingsRecord{}) + "," +
           std::to_string(reports.lines.size()) + ";";

    // A directory that cannot take a new SET.
    const std::string locked = dir.File("locked");
    ::mkdir(locked.c_str(), 0555);
    reports.lines.clear();
    SettingsFile lockedFile{locked + "/SET", reports.fn()};
    const SettingsRecord fresh = lockedFile.Read();
    lockedFile.Close();
    out += "locked:" + std::to_string(fresh == SettingsRecord{}) + "," +
           std::to_string(reports.lines.size());
    return out;
  });
  EXPECT_EQ(output, "read-only:2,1,1;unchanged:1,3;unreadable:1,1;locked:1,2");
}

// What stands at SET at the start, what happens to it during the run, and
// whether the user confirms settings with OK; then every line said, what SET
// holds right after the OK and what it holds after the close. Without root's
// power over permissions, each row in a directory of its own.
TEST(SettingsFile, AChoiceIsWrittenAtOnceAndTheCloseNeverWritesOverWhatSomeoneChose) {
  enum Start { kFile, kWriteOnly, kFifo, kLockedDir };
  // What someone else does to SET: before the OK, or after it.
  enum During { kNothing, kDeleted, kReplaced, kReplacedAfterOk };
  struct Row {
    const char* name;
    Start start;
    During during;
    bool chosen;
    std::vector<std::string> lines;
    std::optional<Bytes> atOk;   // nothing when no regular file is there
    std::optional<Bytes> after;  // likewise
  };
  // lastFish 3 and two bytes past the record; OK chooses two goldfish, the first red.
  const Bytes stored = {3, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0xCD};
  const Bytes other = {2, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
  const SettingsRecord choice{1, {0, 1, 0, 0, 0, 0}};
  const Bytes chosen = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Bytes chosenWithTail = chosen;
  chosenWithTail.insert(chosenWithTail.end(), {0xAB, 0xCD});
  const std::string cannotRead =
      "cannot read SET (Permission denied); starting with one red goldfish";
  const std::string kept =
      "SET left unchanged: it could not be read at start, and no settings were chosen with OK";
  const std::string changed = "SET left unchanged: it was written by someone else during this run";
  const std::string notAFile = "SET is not a regular file";
  const std::string cannotSave = "cannot save settings to SET (Permission denied)";
  // clang-format off
  const std::vector<Row> rows = {
      {"unreadable, no OK: kept", kWriteOnly, kNothing, false, {cannotRead, kept}, stored, stored},
      {"unreadable, then OK: written at once, the tail kept", kWriteOnly, kNothing, true,
       {cannotRead}, chosenWithTail, chosenWithTail},
      {"unreadable, replaced during the run: the new file is kept", kWriteOnly, kReplaced, false,
       {cannotRead, kept}, other, other},
      {"unreadable, deleted during the run: nothing to lose", kWriteOnly, kDeleted, false,
       {cannotRead}, std::nullopt, Bytes(14, 0)},
      {"read, no OK: repaired with the record read", kFile, kNothing, false, {}, stored,
       stored},
      {"read, then OK: written at once, the tail kept", kFile, kNothing, true, {},
       chosenWithTail, chosenWithTail},
      {"read, another copy's choice during the run: it stands", kFile, kReplaced, false,
       {changed}, other, other},
      {"read, another copy's choice, then OK: the later choice stands", kFile, kReplaced, true,
       {}, chosen, chosen},
      {"read, OK, then another copy's choice: the later choice stands", kFile, kReplacedAfterOk,
       true, {changed}, chosenWithTail, other},
      {"read, deleted during the run: written again", kFile, kDeleted, false, {},
       std::nullopt, Bytes(stored.begin(), stored.begin() + 14)},
      {"a FIFO: the same words at start and close", kFifo, kNothing, false,
       {notAFile + "; starting with one red goldfish", "cannot save settings: " + notAFile},
       std::nullopt, std::nullopt},
      {"a FIFO replaced by a file: the file is kept", kFifo, kReplaced, false,
       {notAFile + "; starting with one red goldfish", kept}, other, other},
      {"nothing, and nothing can be made: the cause at start, at OK and at close", kLockedDir,
       kNothing, true,
       {"cannot create SET (Permission denied); starting with one red goldfish", cannotSave,
        cannotSave}, std::nullopt, std::nullopt},
  };
  // clang-format on

  TempDir dir;
  testing::GiveToUnprivileged(dir.path().string());
  // Each row's lines, a row to a line, the lines ended by tabs, and what SET
  // held right after the OK, as hex.
  const std::string said = testing::RunUnprivileged([&] {
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Row& row = rows[i];
      ::mkdir(dir.File(std::to_string(i)).c_str(), row.start == kLockedDir ? 0555 : 0755);
      testing::ScopedCurrentDir inside(dir.File(std::to_string(i)));
      if (row.start == kFifo) {
        ::mkfifo("SET", 0600);
      } else if (row.start != kLockedDir) {
        WriteBytes("SET", stored);
        ::chmod("SET", row.start == kWriteOnly ? 0222 : 0644);
      }
      Reports reports;
      SettingsFile file{"SET", reports.fn()};
      file.Read();
      const auto replace = [&] {
        ::unlink("SET");
        WriteBytes("SET", other);
      };
      if (row.during == kDeleted) {
        ::unlink("SET");
      } else if (row.during == kReplaced) {
        replace();
      }
      if (row.chosen) {
        file.Confirm(choice);
      }
      // Read back as its owner, whatever the run may do.
      ::chmod("SET", 0644);
      std::string atOk = "-";
      if (std::filesystem::is_regular_file("SET")) {
        atOk.clear();
        for (std::uint8_t b : ReadBytes("SET")) {
          atOk += "0123456789abcdef"[b >> 4];
          atOk += "0123456789abcdef"[b & 15];
        }
      }
      if (row.start == kWriteOnly && std::filesystem::is_regular_file("SET")) {
        ::chmod("SET", 0222);
      }
      if (row.during == kReplacedAfterOk) {
        replace();
      }
      file.Close();
      for (const std::string& line : reports.lines) {
        out += line + "\t";
      }
      out += "|" + atOk + "\n";
    }
    return out;
  });

  std::istringstream lines(said);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    std::string line, expected = "|-";
    std::getline(lines, line);
    if (rows[i].atOk) {
      expected = "|";
      for (std::uint8_t b : *rows[i].atOk) {
        expected += "0123456789abcdef"[b >> 4];
        expected += "0123456789abcdef"[b & 15];
      }
    }
    for (auto l = rows[i].lines.rbegin(); l != rows[i].lines.rend(); ++l) {
      expected.insert(0, *l + "\t");
    }
    EXPECT_EQ(line, expected);
    const std::string set = dir.File(std::to_string(i)) + "/SET";
    EXPECT_EQ(std::filesystem::is_regular_file(set), rows[i].after.has_value());
    if (rows[i].after) {
      ::chmod(set.c_str(), 0644);
      EXPECT_EQ(ReadBytes(set), *rows[i].after);
    }
  }
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
    SettingsFile file{set, [](const std::string&) {}};
    const SettingsRecord settings = file.Read();
    ASSERT_GE(settings.lastFish, 0);
    ASSERT_LE(settings.lastFish, kMaxLastFish);
    ASSERT_EQ(ReadBytes(set), bytes);
  }
}

}  // namespace
}  // namespace finbowl
