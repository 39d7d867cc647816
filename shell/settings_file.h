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

// Fills `settings` from the file, creating it empty when it is missing. Up to 14
// bytes are read; bytes the file lacks leave the record as it was. A file that
// cannot be read leaves the record untouched (the all-zero default for a fresh
// record), and a lastFish out of range is clamped; both are reported.
void ReadSettings(SettingsRecord& settings, const std::string& path = kSettingsFileName,
                  const ReportFn& report = ReportOnStderr);

// Writes the 14 bytes at offset 0 without truncating, so a longer file keeps its
// tail. A failure is reported and otherwise ignored: closing must go on.
void WriteSettings(const SettingsRecord& settings, const std::string& path = kSettingsFileName,
                   const ReportFn& report = ReportOnStderr);

}  // namespace finbowl
