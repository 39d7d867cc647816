// A GoogleTest main for tests that draw on a real X server in this process:
// a private Xvfb is started first, and Qt connects to it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "platform/application_setup.h"
#include "support/x_session.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  finbowl::testing::XSession session(/*withWindowManager=*/false);
  for (const auto& [name, value] : session.Environment()) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  QApplication app(argc, argv);
  finbowl::SetUpApplication(app);
  return RUN_ALL_TESTS();
}
