#include "platform/application_setup.h"

#include <QApplication>
#include <QFont>

#include "platform/termination_signals.h"

namespace finbowl {

void SetUpApplication(QApplication& app) {
  // The name is the class in the window's WM_CLASS, which the desktop entry's
  // StartupWMClass matches; the desktop file name is how a Wayland compositor
  // finds the window's icon and name.
  QCoreApplication::setApplicationName(QStringLiteral(FINBOWL_NAME));
  QCoreApplication::setApplicationVersion(QStringLiteral(FINBOWL_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(FINBOWL_APP_ID));
  // The dialog asks for "ＭＳ Ｐゴシック"; IPAPGothic has the same metrics, so the
  // dialog's fixed geometry fits its captions.
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  app.setQuitOnLastWindowClosed(true);
  // The visible tank may be a native window of its own; its siblings (the
  // menu bar) need not be.
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  CloseWindowsOnTerminationSignals(app);
}

}  // namespace finbowl
