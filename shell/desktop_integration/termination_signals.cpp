#include "shell/desktop_integration/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>
#include <array>
#include <csignal>
#include <cstdio>

namespace finbowl {
namespace {

// The two ends of a socket pair: the signal handler writes a byte into one,
// and the user-interface thread reads it from the other. A handler may do
// nothing but write a byte; everything else happens in the event loop.
int signalWriteEnd = -1;
int signalReadEnd = -1;

void OnSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(signalWriteEnd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

void CloseAllWindowsForSessionEnd() {
  // A message box and the settings dialog above it go first, innermost first;
  // each is rejected, so nothing it holds is applied.
  for (int guard = 0; guard < 16; ++guard) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      break;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    }
    modal->close();
    if (QApplication::activeModalWidget() == modal) {
      modal->hide();
    }
  }
  QApplication::closeAllWindows();
  // closeAllWindows leaves the loop running if a window refused to close; the
  // main window never does, but make the end certain.
  QApplication::quit();
}

void CloseWindowsOnTerminationSignals(QApplication& app) {
  if (signalWriteEnd >= 0) {
    return;
  }
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    std::perror("finbowl: cannot watch for termination signals");
    return;
  }
  signalWriteEnd = ends[0];
  signalReadEnd = ends[1];
  ::fcntl(signalWriteEnd, F_SETFL, O_NONBLOCK);

  auto* notifier = new QSocketNotifier(signalReadEnd, QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
    std::array<char, 64> drained{};
    while (::read(signalReadEnd, drained.data(), drained.size()) > 0) {
    }
    CloseAllWindowsForSessionEnd();
  });
  ::fcntl(signalReadEnd, F_SETFL, O_NONBLOCK);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    ::sigaction(signal, &action, nullptr);
  }
  // A display server that has gone away would kill the program with SIGPIPE
  // at the next request written to it, before anything could save the
  // settings; ignored, the write fails, and the toolkit ends the program
  // through exit(), whose handler saves them.
  ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace finbowl
