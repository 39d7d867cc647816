#pragma once

namespace finbowl {

// How long the process may take to end once its last window has closed.
inline constexpr unsigned kTeardownSeconds = 3;

// Once the main window has closed, its settings are on disk and nothing the
// process still does matters to the user; yet the toolkit's teardown can wait
// forever on a display server that has stopped answering. From the close on,
// the process ends with status 0 within kTeardownSeconds whatever it is
// waiting for, and a termination signal ends it at once.
//
// Call first thing in main. It registers the exit handler that lifts the
// deadline: exit handlers run in the reverse order of registration, so this
// one runs after those registered later, Qt's among them, which the deadline
// still covers, and before the runtime's own, registered before main (a
// sanitizer's leak check), which are then never cut short.
void BoundTheTeardown();

// Starts the deadline: called when the last window has closed.
void StartTeardownDeadline();

}  // namespace finbowl
