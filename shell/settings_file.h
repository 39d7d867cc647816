#pragma once

#include <functional>
#include <string>

#include "shell/settings_record.h"

namespace finbowl {

// The settings file lives in the current directory, not beside the program.
inline constexpr const char* kSettingsFileName = "SET";

// Receives one line (without "finbowl: " or a newline) for each problem met.
using ReportFn = std::function<void(const std::string& line)>;

// Writes "finbowl: <line>" to stderr.
void ReportOnStderr(const std::string& line);

// The settings file, and what this run has learnt about it. It lives as long
// as the settings record: the close needs to know what the start found.
struct SettingsFile {
  std::string path = kSettingsFileName;
  ReportFn report = ReportOnStderr;
  // Set by ReadSettings when something is there whose settings could not be
  // read (no permission, a read error, not a regular file). What it holds is
  // still the user's, and the close leaves it alone...
  bool unread = false;
  // ...unless the user has confirmed settings with OK since: writing those is
  // what the user asked for.
  bool chosen = false;
  // Set by WriteSettings: the close has had its say about the file.
  bool closed = false;
};

// Fills `settings` from the file, creating it empty when it is missing. Up to 14
// bytes are read; bytes the file lacks leave the record as it was. A file that
// cannot be read leaves the record untouched (the all-zero default for a fresh
// record), and a lastFish out of range is clamped; both are reported.
void ReadSettings(SettingsRecord& settings, SettingsFile& file);

// Writes the 14 bytes at offset 0 without truncating, so a longer file keeps its
// tail, and creates the file when it is missing. A file whose settings could
// not be read at the start is left as it is unless settings were chosen since.
// Every failure is reported and otherwise ignored: closing must go on.
void WriteSettings(const SettingsRecord& settings, SettingsFile& file);

}  // namespace finbowl
