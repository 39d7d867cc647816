#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include "render/pictures.h"
#include "shell/form1.h"
#include "sim/tank_area.h"
#include "support/qt_wait.h"
#include "support/tank_peer.h"
#include "support/temp_dir.h"

namespace finbowl {
namespace {

class Form1Test : public ::testing::Test {
 protected:
  Aquarium aquarium;
  testing::TempDir dir;
  SettingsFile settingsFile{dir.File("SET")};
};

TEST_F(Form1Test, FromItsCreationTheTimersRunAndTheWindowShowsTheProgramIcon) {
  Form1 form(aquarium, settingsFile);
  // The icon built once for the whole run, which the dialog shows too.
  EXPECT_FALSE(form.windowIcon().isNull());
  EXPECT_EQ(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
  // Both timers run from the window's creation, before it is shown.
  for (const char* name : {"Timer1", "Timer2"}) {
    const auto* timer = form.findChild<QTimer*>(QString::fromLatin1(name));
    ASSERT_NE(timer, nullptr) << name;
    EXPECT_TRUE(timer->isActive()) << name;
  }
}

TEST_F(Form1Test, SetUpWindowFitsTheClientAreaBelowTheMenuBar) {
  Form1 form(aquarium, settingsFile);
  SetUpWindow(form);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.ClientWidth(), kTankWidth);
  EXPECT_EQ(form.ClientHeight(), kTankHeight);
  // The client area starts right under the menu bar.
  EXPECT_EQ(form.Client().y(), form.menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(form.Client().x(), 0);
  // The tank does not scale.
  EXPECT_EQ(form.minimumSize(), form.maximumSize());

  Tank& tank = form.tank();
  EXPECT_EQ(tank.suisou().geometry(), QRect(0, 0, kTankWidth, kTankHeight));
  // back and work are the tank picture's first 640 x 450 pixels: the picture
  // without its last ten columns.
  const QImage bare =
      LoadPictures().tank.copy(0, 0, kTankWidth, kTankHeight).convertToFormat(QImage::Format_RGB32);
  for (const Surface* surface : {&testing::TankPeer::Work(tank), &testing::TankPeer::Back(tank)}) {
    EXPECT_EQ(testing::ReadSurface(*surface), bare);
  }
}

TEST_F(Form1Test, SetUpWindowCentresTheWindowOnTheScreen) {
  Form1 form(aquarium, settingsFile);
  SetUpWindow(form);
  // The frame is known only once the window is shown, so the final place
  // comes a moment later.
  const QRect screen = form.screen()->geometry();
  auto centred = [&] {
    const QRect outer = form.frameGeometry();
    return outer.topLeft() ==
           QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
  };
  EXPECT_TRUE(testing::ProcessEventsUntil(centred))
      << form.frameGeometry().x() << "," << form.frameGeometry().y();
}

TEST_F(Form1Test, ClosingWritesTheSettings) {
  // Four goldfish, the first two black; the close gives the file its 14 bytes.
  testing::WriteBytes(dir.File("SET"), {3, 0, 1, 0, 1, 0});
  settingsFile.Read();
  {
    Form1 form(aquarium, settingsFile);
    SetUpWindow(form);
    EXPECT_TRUE(form.close());
  }
  EXPECT_EQ(testing::ReadBytes(dir.File("SET")),
            (std::vector<std::uint8_t>{3, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace finbowl
