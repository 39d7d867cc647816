#include <QApplication>
#include <cstdio>

#include "render/pictures.h"
#include "shell/app_main.h"
#include "shell/desktop_integration/application_setup.h"
#include "shell/desktop_integration/character_type.h"
#include "shell/desktop_integration/display_deadline.h"
#include "shell/desktop_integration/start_messages.h"
#include "shell/desktop_integration/teardown_deadline.h"
#include "shell/desktop_integration/window_frame.h"

int main(int argc, char** argv) {
  finbowl::ChooseUtf8CharacterType();
  finbowl::BoundTheTeardown();
  if (!finbowl::DisplayOrPlatformNamed(argc, argv)) {
    std::fputs(
        "finbowl: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
        stderr);
    return 1;
  }
  finbowl::HeldStartMessages startMessages;
  finbowl::DisplayDeadline displayDeadline;
  QApplication app(argc, argv);
  displayDeadline.Stop();
  startMessages.Release();
  finbowl::SetUpApplication(app, finbowl::ProgramIcon());
  // The main window is the last to close, and its close has saved the settings.
  QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app, &finbowl::StartTeardownDeadline);
  finbowl::Run run;
  finbowl::Main(run);
  finbowl::LetFixedWindowMaximise(*run.form1);
  return QApplication::exec();
}
