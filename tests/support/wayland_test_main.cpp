// A GoogleTest main for tests that draw on a Wayland compositor of their own,
// started first: weston, or sway when built with FINBOWL_TEST_SWAY, at
// FINBOWL_TEST_SCALE_FACTOR device pixels to a pixel if given. Without the
// compositor or Qt's Wayland platform the tests are skipped.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <cstring>
#include <iostream>
#include <memory>

#include "render/pictures.h"
#include "shell/desktop_integration/application_setup.h"
#include "support/wayland_session.h"

namespace finbowl::testing {

WaylandSession* session = nullptr;

}  // namespace finbowl::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) {
    return RUN_ALL_TESTS();
  }
#ifdef FINBOWL_TEST_SWAY
  const auto kind = finbowl::testing::WaylandSession::Compositor::kSway;
#else
  const auto kind = finbowl::testing::WaylandSession::Compositor::kWeston;
#endif
#ifdef FINBOWL_TEST_SCALE_FACTOR
  const int scale = FINBOWL_TEST_SCALE_FACTOR;
#else
  const int scale = 1;
#endif
  std::unique_ptr<finbowl::testing::WaylandSession> session;
  try {
    session = std::make_unique<finbowl::testing::WaylandSession>(kind, scale);
  } catch (const std::exception& e) {
    std::cout << "SKIPPED: " << e.what() << "\n";
    return 77;
  }
  finbowl::testing::session = session.get();
  for (const auto& [name, value] : session->Environment()) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  ::setenv("QT_QPA_PLATFORM", "wayland;offscreen", 1);
  ::unsetenv("DISPLAY");
  ::unsetenv("QT_SCALE_FACTOR");
  QApplication app(argc, argv);
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    std::cout << "SKIPPED: Qt's Wayland platform is not installed (package qt6-wayland)\n";
    return 77;
  }
  finbowl::SetUpApplication(app, finbowl::ProgramIcon());
  return RUN_ALL_TESTS();
}
