#include "shell/desktop_integration/start_messages.h"

#include <unistd.h>

#include <QByteArray>
#include <QMessageLogContext>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <mutex>
#include <vector>

namespace finbowl {
namespace {

struct HeldMessage {
  QtMsgType type;
  QByteArray file, function, category;
  int line;
  QString text;
};

// A message handler is a plain function, so what it holds lives here, for
// the few milliseconds the platform takes to start. Qt may start threads of
// its own meanwhile, hence the lock.
struct Held {
  std::mutex lock;
  std::vector<HeldMessage> messages;
  QtMessageHandler previous = nullptr;
};

Held& held() {
  static Held instance;
  return instance;
}

// Why the platform did not start: the warnings and errors Qt gave on the way,
// or else the fatal message itself, on one line.
QString Reasons(const std::vector<HeldMessage>& messages, const QString& fatal) {
  QStringList reasons;
  for (const HeldMessage& message : messages) {
    if (message.type == QtWarningMsg || message.type == QtCriticalMsg) {
      QString reason = message.text.simplified();
      // Qt names the X display it tried, and nothing when none was named.
      if (reason == QLatin1String("could not connect to display") &&
          qEnvironmentVariableIsEmpty("DISPLAY")) {
        reason += QLatin1String(" (DISPLAY is not set)");
      }
      reasons << reason;
    }
  }
  if (reasons.isEmpty()) {
    reasons << fatal.section(QLatin1Char('\n'), 0, 0).simplified();
  }
  return reasons.join(QStringLiteral("; "));
}

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  std::lock_guard guard(held().lock);
  if (type == QtFatalMsg) {
    const QByteArray line =
        "finbowl: cannot show the window: " + Reasons(held().messages, text).toLocal8Bit() + "\n";
    std::fwrite(line.constData(), 1, line.size(), stderr);
    std::fflush(stderr);
    // Qt is half made: nothing may run its destructors now, and there is
    // nothing of ours to save yet.
    _exit(1);
  }
  held().messages.push_back(
      {type, context.file, context.function, context.category, context.line, text});
}

}  // namespace

HeldStartMessages::HeldStartMessages() {
  held().previous = qInstallMessageHandler(Hold);
}

void HeldStartMessages::Release() {
  if (!holding_) {
    return;
  }
  holding_ = false;
  std::vector<HeldMessage> messages;
  {
    std::lock_guard guard(held().lock);
    qInstallMessageHandler(held().previous);
    messages.swap(held().messages);
  }
  for (const HeldMessage& m : messages) {
    const QMessageLogContext context(m.file.isNull() ? nullptr : m.file.constData(), m.line,
                                     m.function.isNull() ? nullptr : m.function.constData(),
                                     m.category.isNull() ? nullptr : m.category.constData());
    qt_message_output(m.type, context, m.text);
  }
}

}  // namespace finbowl
