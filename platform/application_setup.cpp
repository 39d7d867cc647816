#include "platform/application_setup.h"

#include <QApplication>
#include <QFont>

#include "platform/termination_signals.h"

namespace finbowl {

void SetUpApplication(QApplication& app) {
  // The dialog asks for "ＭＳ Ｐゴシック"; IPAPGothic has the same metrics, so the
  // dialog's fixed geometry fits its captions.
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  app.setQuitOnLastWindowClosed(true);
  CloseWindowsOnTerminationSignals(app);
}

}  // namespace finbowl
