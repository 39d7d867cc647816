// A window of fixed size under a frame that offers to maximise it anyway.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "shell/desktop_integration/window_frame.h"

namespace finbowl {
namespace {

const QSize kFixed(300, 200);
const QSize kUnlimited(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

TEST(LetFixedWindowMaximise, TheLimitGoesWhenAskedAndComesBackOnceTheWindowIsRestored) {
  QWidget window;
  window.setFixedSize(kFixed);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  LetFixedWindowMaximise(window);
  QWindow& handle = *window.windowHandle();

  // The compositor answers a maximise with a size of its own; the limit must
  // be gone before that answer comes, at the moment the frame asks.
  handle.setWindowStates(Qt::WindowMaximized);
  EXPECT_EQ(window.maximumSize(), kUnlimited);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.isMaximized(); }));
  EXPECT_EQ(window.maximumSize(), kUnlimited);

  // Restored, the compositor still holds the window maximised until it says
  // otherwise: shrinking it before then is what weston punishes.
  handle.setWindowStates(Qt::WindowNoState);
  EXPECT_EQ(window.maximumSize(), kUnlimited);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.maximumSize() == kFixed; }));
  EXPECT_EQ(window.minimumSize(), kFixed);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == kFixed; }));

  // And again: the window follows every round.
  handle.setWindowStates(Qt::WindowMaximized);
  EXPECT_EQ(window.maximumSize(), kUnlimited);
}

}  // namespace
}  // namespace finbowl
