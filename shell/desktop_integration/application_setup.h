#pragma once

class QApplication;
class QIcon;

namespace finbowl {

// What the application needs from the desktop before any window exists: its
// name, version and desktop entry, the dialog's Japanese font, the program's
// icon `icon` for every window, the session-end signals turned into a normal
// close of the windows, and a window frame with buttons. Call once, right
// after the QApplication is made.
void SetUpApplication(QApplication& app, const QIcon& icon);

// Whether anything names a display or a platform for Qt, asked before the
// QApplication is made: with nothing named, Qt aborts with a core dump. A
// display is named by DISPLAY or WAYLAND_DISPLAY, or by -display among the
// arguments; a platform chosen with QT_QPA_PLATFORM or -platform answers for
// itself (offscreen needs no display).
bool DisplayOrPlatformNamed(int argc, char** argv);

}  // namespace finbowl
