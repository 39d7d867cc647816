// A GoogleTest main for tests that draw on a real X server in this process:
// a private Xvfb is started first, and Qt connects to it. Built with
// FINBOWL_TEST_SCALE_FACTOR, the tests run with that many device pixels to a
// pixel, as on a HiDPI screen.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "render/pictures.h"
#include "shell/desktop_integration/application_setup.h"
#include "support/x_session.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Room for two tanks, one above the other, at twice their size.
  finbowl::testing::XSession session(/*withWindowManager=*/false, 1400, 1900);
  for (const auto& [name, value] : session.Environment()) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
#ifdef FINBOWL_TEST_SCALE_FACTOR
  ::setenv("QT_SCALE_FACTOR", FINBOWL_TEST_SCALE_FACTOR, 1);
#else
  ::unsetenv("QT_SCALE_FACTOR");
#endif
  QApplication app(argc, argv);
  finbowl::SetUpApplication(app, finbowl::ProgramIcon());
  return RUN_ALL_TESTS();
}
