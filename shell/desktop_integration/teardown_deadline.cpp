#include "shell/desktop_integration/teardown_deadline.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace finbowl {
namespace {

// The close has written the settings: ending here loses nothing.
void EndNow(int) {
  ::_exit(0);
}

void LiftTheDeadline() {
  ::alarm(0);
}

}  // namespace

void BoundTheTeardown() {
  std::atexit(LiftTheDeadline);
}

void StartTeardownDeadline() {
  // This takes the termination signals over from the self-pipe, whose reader,
  // the event loop, is ending.
  struct sigaction action {};
  action.sa_handler = EndNow;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGALRM, SIGTERM, SIGHUP, SIGINT}) {
    ::sigaction(signal, &action, nullptr);
  }
  ::alarm(kTeardownSeconds);
}

}  // namespace finbowl
