#pragma once

class QApplication;

namespace finbowl {

// What the application needs from the desktop before any window exists: its
// name, version and desktop entry, the dialog's Japanese font, and the
// session-end signals turned into a normal close of the windows. Call once,
// right after the QApplication is made.
void SetUpApplication(QApplication& app);

}  // namespace finbowl
