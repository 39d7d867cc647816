#pragma once

#include <optional>

#include "shell/form1.h"
#include "shell/settings_file.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {

// What one run works on: the records that live for the whole run and the
// main window. main keeps it on its stack, made after the QApplication and
// gone before it, so the window is destroyed while Qt is still there.
struct Aquarium {
  Aquarium() = default;
  ~Aquarium();
  Aquarium(const Aquarium&) = delete;
  Aquarium& operator=(const Aquarium&) = delete;

  SettingsRecord settings;
  SettingsFile settingsFile;
  FishTable fishTable;
  ClockRandom random;
  // Made by Main; declared last, so it goes before the records it works on.
  std::optional<Form1> form1;
};

// Start-up: reads the settings, makes and shows the main window and stocks the
// tank. Returns with the window shown; the caller then runs the event loop,
// which ends when the main window has closed.
void Main(Aquarium& aquarium);

}  // namespace finbowl
