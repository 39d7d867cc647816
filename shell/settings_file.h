#pragma once

#include <functional>
#include <optional>
#include <string>

#include "shell/settings_record.h"

namespace finbowl {

// The settings file lives in the current directory, not beside the program.
inline constexpr const char* kSettingsFileName = "SET";

// Receives one line (without "finbowl: " or a newline) for each problem met.
using ReportFn = std::function<void(const std::string& line)>;

// Writes "finbowl: <line>" to stderr.
void ReportOnStderr(const std::string& line);

// SET for one run: read at the start, written at once whenever the user
// confirms a choice with OK, and written once more at the end with what the
// run has to say. Every write puts the 14 bytes at offset 0 without
// truncating, so a longer file keeps its tail, and reaches the disk before
// it returns. Every problem is reported in one line and otherwise ignored:
// the program goes on with a valid record, and the close goes on.
class SettingsFile {
 public:
  explicit SettingsFile(std::string path = kSettingsFileName, ReportFn report = ReportOnStderr);
  ~SettingsFile();
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  // The record the file holds, creating the file empty when it is missing.
  // Up to 14 bytes are read over the all-zero default; bytes the file lacks
  // stay zero. A file that cannot be read gives the default, and a lastFish
  // out of range is clamped; both are reported.
  SettingsRecord Read();

  // The user has confirmed `settings`: they are written now, so that nothing
  // that ends the program later (the display going away, a kill, a power
  // cut) can lose them.
  void Confirm(const SettingsRecord& settings);

  // The end of the run; only the first call does anything. The record goes
  // back to the file (a missing, short or damaged file is repaired), except
  // where that would lose what someone chose: a file that could not be read
  // at the start, unless a choice was confirmed since, and a file that has
  // changed since this run last read or wrote it (another copy of the
  // program confirmed a choice meanwhile), unless it is gone.
  void Close();

  // Makes the process's exit run Close, for the ends that never reach the
  // window's close: when the display goes away the toolkit calls exit()
  // from inside the event loop. One file at a time; the last one asked.
  void CloseAtExit();

 private:
  bool Write(const SettingsRecord& settings);

  std::string path_;
  ReportFn report_;
  // What goes back at the end: the record read, or the last choice confirmed.
  SettingsRecord record_;
  // The bytes this run last saw in the file, read or written: nothing when
  // the file could not be read (no permission, a read error, not a regular
  // file). What such a file holds is still the user's, and only a confirmed
  // choice is written over it.
  std::optional<std::string> known_;
  bool confirmed_ = false;
  bool closed_ = false;
};

}  // namespace finbowl
