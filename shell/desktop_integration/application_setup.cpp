#include "shell/desktop_integration/application_setup.h"

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <string_view>

#include "shell/desktop_integration/termination_signals.h"
#include "shell/desktop_integration/wayland_frame.h"

namespace finbowl {

void SetUpApplication(QApplication& app, const QIcon& icon) {
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
  // Both windows show the application's icon. Built once: each new icon
  // would leave pixmaps of its own in Qt's pixmap cache when a window shows it.
  QApplication::setWindowIcon(icon);
  // The visible tank may be a native window of its own; its siblings (the
  // menu bar) need not be.
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  CloseWindowsOnTerminationSignals(app);
  ChooseWaylandFrame();
}

bool DisplayOrPlatformNamed(int argc, char** argv) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      return true;
    }
  }
  // Qt reads its own options with one dash or two.
  for (int i = 1; i + 1 < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg.starts_with("--")) {
      arg.remove_prefix(1);
    }
    if (arg == "-platform" || arg == "-display") {
      return true;
    }
  }
  return false;
}

}  // namespace finbowl
