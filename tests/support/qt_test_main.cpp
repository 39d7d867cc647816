// A GoogleTest main for tests that need Qt: one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "render/pictures.h"
#include "shell/desktop_integration/application_setup.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Widget tests run headless unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // Qt wants a private runtime directory; give it one when the caller did not.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    static QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  }
  QApplication app(argc, argv);
  finbowl::SetUpApplication(app, finbowl::ProgramIcon());
  return RUN_ALL_TESTS();
}
