#pragma once

#include <gtest/gtest.h>

#include "support/x_session.h"

namespace finbowl::testing {

// A suite whose tests share one X session with a window manager: starting
// Xvfb and openbox costs more than the tests themselves.
class XSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { session = new XSession(); }
  static void TearDownTestSuite() {
    delete session;
    session = nullptr;
  }

  inline static XSession* session = nullptr;
};

}  // namespace finbowl::testing
