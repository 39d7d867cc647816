#pragma once

#include <optional>

#include "shell/form1.h"
#include "shell/settings_file.h"
#include "sim/aquarium.h"

namespace finbowl {

// What one run works on: the settings file, the aquarium and the main window.
// main keeps it on its stack, made after the QApplication and gone before it,
// so the window is destroyed while Qt is still there.
struct Run {
  SettingsFile settingsFile;
  // Made by Main, in this order; the window, declared last, goes first.
  std::optional<Aquarium> aquarium;
  std::optional<Form1> form1;
};

// Start-up: reads the settings, makes and shows the main window and stocks the
// tank. Returns with the window shown; the caller then runs the event loop,
// which ends when the main window has closed.
void Main(Run& run);

}  // namespace finbowl
