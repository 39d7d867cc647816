#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenuBar>
#include <QScreen>

#include "render/pictures.h"
#include "shell/form1.h"
#include "support/temp_dir.h"

namespace finbowl {
namespace {

class Form1Test : public ::testing::Test {
 protected:
  SettingsRecord settings;
  FishTable fishTable;
  ClockRandom random;
  testing::TempDir dir;
  SettingsFile settingsFile{dir.File("SET")};
};

TEST_F(Form1Test, WindowHasItsCaptionMenuAndTimers) {
  Form1 form(settings, fishTable, random, settingsFile);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Finbowl"));
  // The icon built once for the whole run, which the dialog shows too.
  EXPECT_FALSE(form.windowIcon().isNull());
  EXPECT_EQ(form.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
  ASSERT_EQ(form.menuBar()->actions().size(), 1);
  EXPECT_EQ(form.mnuSet->title(), QStringLiteral("設定"));
  ASSERT_EQ(form.mnuSet->actions().size(), 1);
  EXPECT_EQ(form.mnuSetSyu->text(), QStringLiteral("数＆種類"));
  // Both timers run from the window's creation.
  EXPECT_TRUE(form.Timer1.isActive());
  EXPECT_EQ(form.Timer1.interval(), 100);
  EXPECT_TRUE(form.Timer2.isActive());
  EXPECT_EQ(form.Timer2.interval(), 2500);
  // Until the window is set up, suisou holds the whole tank picture.
  EXPECT_EQ(form.Surfaces().suisou->Image().Read(),
            LoadPictures().tank.convertToFormat(QImage::Format_RGB32));
}

TEST_F(Form1Test, SetUpWindowFitsTheClientAreaBelowTheMenuBar) {
  Form1 form(settings, fishTable, random, settingsFile);
  SetUpWindow(form);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.ClientWidth(), 640);
  EXPECT_EQ(form.ClientHeight(), 450);
  // The client area starts right under the menu bar.
  EXPECT_EQ(form.Client().y(), form.menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(form.Client().x(), 0);
  // The tank does not scale.
  EXPECT_EQ(form.minimumSize(), form.maximumSize());

  TankSurfaces& s = form.Surfaces();
  EXPECT_EQ(s.suisou->geometry(), QRect(0, 0, 640, 450));
  for (const Surface* surface : {&s.suisou->Image(), s.work.get(), s.back.get()}) {
    EXPECT_EQ(surface->Width(), 640);
    EXPECT_EQ(surface->Height(), 450);
  }
  for (const auto& sheet : s.pat) {
    EXPECT_EQ(sheet->Width(), 225);
    EXPECT_EQ(sheet->Height(), 150);
  }
  EXPECT_EQ(s.awa->Width(), 60);
  EXPECT_EQ(s.awa->Height(), 60);

  // back is suisou's first 640 x 450 pixels: the tank picture without its
  // last ten columns.
  const QImage back = s.back->Read();
  EXPECT_EQ(back, s.suisou->Image().Read());
  EXPECT_EQ(back, LoadPictures().tank.copy(0, 0, 640, 450).convertToFormat(QImage::Format_RGB32));
}

TEST_F(Form1Test, SetUpWindowCentresTheWindowOnTheScreen) {
  Form1 form(settings, fishTable, random, settingsFile);
  SetUpWindow(form);
  // The frame is known only once the window is shown, so the final place
  // comes a moment later.
  const QRect screen = form.screen()->geometry();
  auto centred = [&] {
    const QRect outer = form.frameGeometry();
    return outer.topLeft() ==
           QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
  };
  QDeadlineTimer deadline(5000);
  while (!centred() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_TRUE(centred()) << form.frameGeometry().x() << "," << form.frameGeometry().y();
}

TEST_F(Form1Test, ClosingWritesTheSettings) {
  settings.lastFish = 3;
  settings.fishKind = {0, 1, 0, 1, 1, 0};
  {
    Form1 form(settings, fishTable, random, settingsFile);
    SetUpWindow(form);
    EXPECT_TRUE(form.close());
  }
  EXPECT_EQ(testing::ReadBytes(dir.File("SET")),
            (std::vector<std::uint8_t>{3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace finbowl
