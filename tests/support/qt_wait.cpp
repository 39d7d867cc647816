#include "support/qt_wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace finbowl::testing {

bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QDeadlineTimer deadline(limit);
  while (!done()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace finbowl::testing
