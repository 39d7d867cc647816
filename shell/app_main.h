#pragma once

namespace finbowl {

// Start-up: reads the settings, makes and shows the main window and stocks the
// tank. Returns with the window shown; the caller then runs the event loop,
// which ends when the main window has closed.
void Main();

}  // namespace finbowl
