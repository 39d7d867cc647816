#pragma once

class QApplication;

namespace finbowl {

// SIGTERM, SIGHUP and SIGINT (log-off, a closed terminal, Ctrl+C) close the
// program's windows the normal way, so the main window's close handler runs
// and the program ends with status 0. Modal windows are closed first, without
// applying anything. SIGPIPE, from a display server gone away, is ignored.
void CloseWindowsOnTerminationSignals(QApplication& app);

// What a termination signal does, also used directly by tests.
void CloseAllWindowsForSessionEnd();

}  // namespace finbowl
