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
  SettingsFile file{set, reports.fn()};
  SettingsRecord settings;
  ReadSettings(settings, file);
  EXPECT_EQ(settings, SettingsRecord{});
  ASSERT_TRUE(std::filesystem::exists(set));
  EXPECT_EQ(std::filesystem::file_size(set), 0u);
  EXPECT_TRUE(reports.lines.empty());

  WriteSettings(settings, file);
  EXPECT_EQ(ReadBytes(set), kZeros);
  EXPECT_TRUE(reports.lines.empty());
}

TEST(SettingsFile, ShortAndLongFiles) {
  TempDir dir;
  const std::string set = dir.File("SET");

  // Only lastFish: two goldfish, both red.
  WriteBytes(set, {0x01, 0x00});
  SettingsFile file{set};
  SettingsRecord two;
  ReadSettings(two, file);
  EXPECT_EQ(two.lastFish, 1);
  EXPECT_EQ(two.fishKind, (std::array<std::int16_t, 6>{}));

  // Twenty bytes: the first fourteen are the record, the last six survive a write.
  const Bytes twenty = {0x03, 0, 1, 0, 0,    0,    1,    0,    0,    0,
                        0,    0, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF, 0x55, 0x66};
  WriteBytes(set, twenty);
  SettingsRecord settings;
  ReadSettings(settings, file);
  EXPECT_EQ(settings.lastFish, 3);
  EXPECT_EQ(settings.fishKind, (std::array<std::int16_t, 6>{1, 0, 1, 0, 0, 0}));
  settings.lastFish = 4;
  WriteSettings(settings, file);
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
    SettingsFile file;
    SettingsRecord settings;
    ReadSettings(settings, file);
    settings.fishKind[0] = 1;
    WriteSettings(settings, file);
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
    SettingsRecord settings;
    ReadSettings(settings, file);
    EXPECT_EQ(settings.lastFish, row.lastFish);
    EXPECT_EQ(reports.lines, std::vector<std::string>{row.line});
    // The file was read; the close repairs it.
    EXPECT_FALSE(file.unread);
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
    SettingsRecord settings;
    settings.fishKind[0] = 0;
    ReadSettings(settings, file);
    EXPECT_EQ(settings, SettingsRecord{}) << path;

    // Writing is refused for the same reason, even for a choice made with OK,
    // and the close goes on.
    settings.lastFish = 3;
    file.chosen = true;
    WriteSettings(settings, file);
    EXPECT_EQ(reports.lines, (std::vector<std::string>{
                                 path + " is not a regular file; starting with one red goldfish",
                                 "cannot save settings: " + path + " is not a regular file"}));
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
    SettingsRecord settings;
    ReadSettings(settings, file);
    out += "read-only:" + std::to_string(settings.lastFish) + "," +
           std::to_string(settings.fishKind[0]) + "," + std::to_string(reports.lines.size()) + ";";
    settings.lastFish = 4;
    WriteSettings(settings, file);
    out += "unchanged:" + std::to_string(ReadBytes(set) == Bytes{2, 0, 1, 0}) + "," +
           std::to_string(reports.lines.size()) + ";";

    // An unreadable SET gives the default record.
    ::chmod(set.c_str(), 0200);
    reports.lines.clear();
    SettingsFile unreadableFile{set, reports.fn()};
    SettingsRecord unreadable;
    ReadSettings(unreadable, unreadableFile);
    out += "unreadable:" + std::to_string(unreadable == SettingsRecord{}) + "," +
           std::to_string(reports.lines.size()) + ";";

    // A directory that cannot take a new SET.
    const std::string locked = dir.File("locked");
    ::mkdir(locked.c_str(), 0555);
    reports.lines.clear();
    SettingsFile lockedFile{locked + "/SET", reports.fn()};
    SettingsRecord fresh;
    ReadSettings(fresh, lockedFile);
    WriteSettings(fresh, lockedFile);
    out += "locked:" + std::to_string(fresh == SettingsRecord{}) + "," +
           std::to_string(reports.lines.size());
    return out;
  });
  EXPECT_EQ(output, "read-only:2,1,1;unchanged:1,2;unreadable:1,1;locked:1,2");
}

// What stands at SET when the program starts, what happens to it while the
// program runs, and whether the user confirms settings with OK; then what the
// close leaves in SET and every line said on the way. Run without root's
// power over permissions, each row in a directory of its own.
struct CloseRow {
  const char* name;
  enum Start { kFile, kWriteOnly, kFifo, kMissingInLockedDir } start;
  enum During { kNothing, kMadeReadable, kDeleted, kReplacedByFile, kReplacedByFifo } during;
  bool chosen;
  std::vector<std::string> lines;
  std::optional<Bytes> after;  // nothing when SET is no regular file at the end
};

TEST(SettingsFile, TheCloseNeverWritesOverSettingsItCouldNotRead) {
  // lastFish 3, kinds 0 1 1 0 0 0, and two bytes past the record.
  const Bytes stored = {3, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0xCD};
  const Bytes other = {2, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
  // What OK stores when chosen: two goldfish, the first red.
  const SettingsRecord choice{1, {0, 1, 0, 0, 0, 0}};
  const Bytes choiceOverStored = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0xCD};
  const Bytes choiceAlone = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::string cannotRead =
      "cannot read SET (Permission denied); starting with one red goldfish";
  const std::string leftUnchanged =
      "SET left unchanged: it could not be read at start, and no settings were chosen with OK";
  const std::string notAFileAtStart = "SET is not a regular file; starting with one red goldfish";
  const std::string notAFileAtClose = "cannot save settings: SET is not a regular file";
  // clang-format off
  const std::vector<CloseRow> rows = {
      {"unreadable, no OK: kept", CloseRow::kWriteOnly, CloseRow::kNothing, false,
       {cannotRead, leftUnchanged}, stored},
      {"unreadable, then OK: the choice is written, the tail kept",
       CloseRow::kWriteOnly, CloseRow::kNothing, true,
       {cannotRead}, choiceOverStored},
      {"unreadable, made readable during the run, no OK: still kept",
       CloseRow::kWriteOnly, CloseRow::kMadeReadable, false,
       {cannotRead, leftUnchanged}, stored},
      {"unreadable, replaced during the run, no OK: the new file is kept",
       CloseRow::kWriteOnly, CloseRow::kReplacedByFile, false,
       {cannotRead, leftUnchanged}, other},
      {"unreadable, deleted during the run: nothing to lose, made afresh",
       CloseRow::kWriteOnly, CloseRow::kDeleted, false,
       {cannotRead}, Bytes(14, 0)},
      {"unreadable, OK, then a FIFO in its place",
       CloseRow::kWriteOnly, CloseRow::kReplacedByFifo, true,
       {cannotRead, notAFileAtClose}, std::nullopt},
      {"read, deleted during the run: made afresh with the record",
       CloseRow::kFile, CloseRow::kDeleted, false,
       {}, Bytes(stored.begin(), stored.begin() + 14)},
      {"read, replaced during the run: the record goes over the new file",
       CloseRow::kFile, CloseRow::kReplacedByFile, false,
       {}, Bytes(stored.begin(), stored.begin() + 14)},
      {"read, then OK", CloseRow::kFile, CloseRow::kNothing, true,
       {}, choiceOverStored},
      {"a FIFO, no OK: the same words at start and close",
       CloseRow::kFifo, CloseRow::kNothing, false,
       {notAFileAtStart, notAFileAtClose}, std::nullopt},
      {"a FIFO, then OK", CloseRow::kFifo, CloseRow::kNothing, true,
       {notAFileAtStart, notAFileAtClose}, std::nullopt},
      {"a FIFO replaced by a file during the run, no OK: the file is kept",
       CloseRow::kFifo, CloseRow::kReplacedByFile, false,
       {notAFileAtStart, leftUnchanged}, other},
      {"a FIFO replaced by a file during the run, then OK",
       CloseRow::kFifo, CloseRow::kReplacedByFile, true,
       {notAFileAtStart}, choiceAlone},
      {"missing where nothing can be made: the cause at start and at close",
       CloseRow::kMissingInLockedDir, CloseRow::kNothing, true,
       {"cannot create SET (Permission denied); starting with one red goldfish",
        "cannot save settings to SET (Permission denied)"}, std::nullopt},
  };
  // clang-format on
  TempDir dir;
  testing::GiveToUnprivileged(dir.path().string());
  auto rowDir = [&](std::size_t i) { return dir.File(std::to_string(i)); };
  // Each row's lines, one row to a line, the lines apart by tabs.
  const std::string said = testing::RunUnprivileged([&] {
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const CloseRow& row = rows[i];
      ::mkdir(rowDir(i).c_str(), 0755);
      testing::ScopedCurrentDir inside(rowDir(i));
      switch (row.start) {
        case CloseRow::kFile:
          WriteBytes("SET", stored);
          break;
        case CloseRow::kWriteOnly:
          WriteBytes("SET", stored);
          ::chmod("SET", 0222);
          break;
        case CloseRow::kFifo:
          ::mkfifo("SET", 0600);
          break;
        case CloseRow::kMissingInLockedDir:
          ::chmod(".", 0555);
          break;
      }
      Reports reports;
      SettingsFile file{"SET", reports.fn()};
      SettingsRecord settings;
      ReadSettings(settings, file);
      switch (row.during) {
        case CloseRow::kNothing:
          break;
        case CloseRow::kMadeReadable:
          ::chmod("SET", 0644);
          break;
        case CloseRow::kDeleted:
          ::unlink("SET");
          break;
        case CloseRow::kReplacedByFile:
          ::unlink("SET");
          WriteBytes("SET", other);
          break;
        case CloseRow::kReplacedByFifo:
          ::unlink("SET");
          ::mkfifo("SET", 0600);
          break;
      }
      if (row.chosen) {
        settings = choice;
        file.chosen = true;
      }
      WriteSettings(settings, file);
      for (const std::string& line : reports.lines) {
        out += line + "\t";
      }
      out += "\n";
    }
    return out;
  });

  std::istringstream lines(said);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const CloseRow& row = rows[i];
    SCOPED_TRACE(row.name);
    std::string line;
    std::getline(lines, line);
    std::string expected;
    for (const std::string& l : row.lines) {
      expected += l + "\t";
    }
    EXPECT_EQ(line, expected);
    const std::string set = rowDir(i) + "/SET";
    if (row.after) {
      EXPECT_TRUE(std::filesystem::is_regular_file(set));
      EXPECT_EQ(ReadBytes(set), *row.after);
    } else {
      EXPECT_FALSE(std::filesystem::is_regular_file(set));
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
    SettingsRecord settings;
    ReadSettings(settings, file);
    ASSERT_GE(settings.lastFish, 0);
    ASSERT_LE(settings.lastFish, kMaxLastFish);
    ASSERT_EQ(ReadBytes(set), bytes);
  }
}

}  // namespace
}  // namespace finbowl
