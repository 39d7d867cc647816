#pragma once

class QApplication;

namespace finbowl {

// What the application needs from the desktop before any window exists: the
// dialog's Japanese font, the program's icon for every window, and the
// session-end signals turned into a normal close of the windows. Call once, right after the
// QApplication is made.
void SetUpApplication(QApplication& app);

}  // namespace finbowl
