// Frames composed by FrameStep, pixel for pixel, against a model that pastes
// each cell as C XOR (M AND NOT D) in the order the frame must stack them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QPaintEvent>

#include "platform/memory_surface.h"
#include "render/frame_step.h"
#include "render/pictures.h"
#include "render/sprite_bounds.h"
#include "shell/form1.h"
#include "support/paste_cell.h"
#include "support/scripted_random.h"
#include "support/temp_dir.h"

namespace finbowl {
namespace {

using testing::PasteCell;
using testing::SameImage;
using testing::ScriptedRandom;

// Fish columns: x, y, dir, frameX, sheet, rising.
constexpr Fish kRisingRed{300, 100, 1, 0, 0, 1};  // climbs 2 px, draws nothing random

class FrameStepTest : public ::testing::Test {
 protected:
  FrameStepTest() : surfaces(platform, nullptr) { SizeTankSurfaces(surfaces); }

  // Runs one frame over `table` with the scripted values.
  QImage Frame(int lastFish, std::initializer_list<double> script) {
    SettingsRecord settings;
    settings.lastFish = static_cast<std::int16_t>(lastFish);
    ScriptedRandom random(script);
    FrameStep(surfaces, table, settings, random, [] { return kTankWidth; });
    EXPECT_TRUE(SameImage(surfaces.work->Read(), surfaces.suisou->Image().Read()))
        << "the visible tank shows the composed frame";
    return surfaces.suisou->Image().Read();
  }

  static QImage BareTank() {
    return LoadPictures()
        .tank.copy(0, 0, kTankWidth, kTankHeight)
        .convertToFormat(QImage::Format_RGB32);
  }
  static void PasteFish(QImage& frame, const Fish& f) {
    PasteCell(frame, LoadPictures().pat[static_cast<std::size_t>(f.sheet)], f.x, f.y, 75, 75,
              f.frameX, 75);
  }
  static void PasteBubble(QImage& frame, const Bubble& b) {
    PasteCell(frame, LoadPictures().awa, b.x, b.y, 30, 30, 0, 30);
    PasteCell(frame, LoadPictures().awa, b.x, b.y, 30, 30, 30, 30);
  }

  MemoryPlatform platform;
  TankSurfaces surfaces;
  FishTable table;
};

TEST_F(FrameStepTest, OneFishIsTheBareTankWithItsCellPastedThroughItsMask) {
  // A level black fish that steps 0 px and so comes to frame column 75.
  table.fish[0] = {100, 200, 1, 0, 2, 0};
  const QImage frame = Frame(0, {0.0});
  EXPECT_EQ(table.fish[0], (Fish{100, 200, 1, 75, 2, 0}));

  QImage expected = BareTank();
  PasteFish(expected, table.fish[0]);
  EXPECT_TRUE(SameImage(frame, expected));
  // Outside the cell the tank is untouched, and the cell really shows a fish.
  EXPECT_TRUE(SameImage(frame.copy(0, 0, 100, 450), BareTank().copy(0, 0, 100, 450)));
  EXPECT_NE(frame.copy(100, 200, 75, 75), BareTank().copy(100, 200, 75, 75));
}

TEST_F(FrameStepTest, CellsPastTheEdgesAreClipped) {
  // Rising fish hold still at the top, so the places are exact: one cut at the
  // top, one at the right edge, one in the bottom-left corner.
  table.fish[0] = {100, -11, 1, 0, 0, 1};
  table.fish[1] = {570, 200, 4, 150, 3, 1};
  table.fish[2] = {-30, 398, 1, 75, 2, 1};
  const QImage frame = Frame(2, {});
  EXPECT_EQ(table.fish[1].y, 198);
  EXPECT_EQ(table.fish[2].y, 396);

  QImage expected = BareTank();
  for (int i = 0; i < 3; ++i) {
    PasteFish(expected, table.fish[static_cast<std::size_t>(i)]);
  }
  EXPECT_TRUE(SameImage(frame, expected));
}

TEST_F(FrameStepTest, HigherIndexesSwimInFront) {
  table.fish[0] = {200, 150, 1, 0, 0, 1};
  table.fish[1] = {200, 150, 1, 75, 2, 1};
  const QImage frame = Frame(1, {});
  QImage expected = BareTank();
  PasteFish(expected, table.fish[0]);
  PasteFish(expected, table.fish[1]);
  EXPECT_TRUE(SameImage(frame, expected));

  QImage wrongOrder = BareTank();
  PasteFish(wrongOrder, table.fish[1]);
  PasteFish(wrongOrder, table.fish[0]);
  EXPECT_NE(frame, wrongOrder);
}

TEST_F(FrameStepTest, ABubbleLiesOverTheFishBeforeItsOwnAndUnderTheRest) {
  // Fish 1 swims normally (0 px, so its bubble rises 0 px and is drawn);
  // fish 0 and 2 rise, overlapping the bubble.
  table.fish[0] = kRisingRed;
  table.fish[1] = {260, 60, 1, 0, 2, 0};
  table.fish[2] = {330, 120, 4, 0, 1, 1};
  table.bubble[1] = {1, 340, 120};
  const QImage frame = Frame(2, {0.0, 0.0});
  EXPECT_EQ(table.bubble[1], (Bubble{1, 340, 120}));

  QImage expected = BareTank();
  PasteFish(expected, table.fish[0]);
  PasteBubble(expected, table.bubble[1]);
  PasteFish(expected, table.fish[1]);
  PasteFish(expected, table.fish[2]);
  EXPECT_TRUE(SameImage(frame, expected));

  QImage bubbleOnTop = BareTank();
  for (int i = 0; i < 3; ++i) {
    PasteFish(bubbleOnTop, table.fish[static_cast<std::size_t>(i)]);
  }
  PasteBubble(bubbleOnTop, table.bubble[1]);
  EXPECT_NE(frame, bubbleOnTop);
}

TEST_F(FrameStepTest, BubblesThatAreNotDrawn) {
  struct Row {
    const char* what;
    Fish fish;
    Bubble bubble;
    std::initializer_list<double> script;
  };
  for (const Row& row : {
           // Wholly above the top edge: active, risen, but nothing shows.
           Row{"above the top", {100, 100, 1, 0, 0, 0}, {1, 200, -30}, {0.0, 0.0}},
           // Its fish bumps against the right wall: the bubble blinks out.
           Row{"fish at the wall", {565, 100, 1, 0, 0, 0}, {1, 200, 200}, {}},
           // Its fish rises: neither moves nor shows.
           Row{"fish rising", {100, 100, 1, 0, 0, 1}, {1, 200, 200}, {}},
       }) {
    SCOPED_TRACE(row.what);
    table = {};
    table.fish[0] = row.fish;
    table.bubble[0] = row.bubble;
    const QImage frame = Frame(0, row.script);
    EXPECT_EQ(table.bubble[0], row.bubble);
    QImage expected = BareTank();
    PasteFish(expected, table.fish[0]);
    EXPECT_TRUE(SameImage(frame, expected));
  }
}

TEST_F(FrameStepTest, OnlyLiveFishAreMovedAndDrawn) {
  table.fish[0] = kRisingRed;
  table.fish[1] = {400, 300, 1, 0, 2, 1};
  table.bubble[1] = {1, 420, 320};
  const QImage frame = Frame(0, {});
  EXPECT_EQ(table.fish[1], (Fish{400, 300, 1, 0, 2, 1}));
  QImage expected = BareTank();
  PasteFish(expected, table.fish[0]);
  EXPECT_TRUE(SameImage(frame, expected));
}

// The visible tank on the screen, with the parts of it that Qt is asked to
// paint, frame by frame.
class PresentedFrameTest : public FrameStepTest, public QObject {
 protected:
  PresentedFrameTest() {
    surfaces.suisou->installEventFilter(this);
    surfaces.suisou->show();
    Settle([this] { return surfaces.suisou->windowHandle()->isExposed(); });
  }

  // Runs the event loop until `done` holds, or for a moment when there is
  // nothing to wait for.
  static void Settle(const std::function<bool()>& done = nullptr) {
    QDeadlineTimer deadline(done ? 5000 : 100);
    do {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (!(done && done()) && !deadline.hasExpired());
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(event)->region();
    }
    return false;
  }

  // Where the fish's sprite paints in its cell.
  static QRect Painted(const Fish& f) {
    const Area a =
        LoadSpriteBounds()
            .fish[static_cast<std::size_t>(f.sheet)][static_cast<std::size_t>(f.frameX / 75)];
    return {f.x + a.x, f.y + a.y, a.w, a.h};
  }

  QRegion painted;
};

TEST_F(PresentedFrameTest, AFramePresentsOnlyWhereItsSpritesLieAndLay) {
  table.fish[0] = kRisingRed;
  table.fish[1] = {100, 300, 4, 0, 3, 1};
  Frame(1, {});
  Settle();
  painted = {};
  const std::array<Fish, 2> before = {table.fish[0], table.fish[1]};
  Frame(1, {});
  Settle();
  // Both rising fish climbed 2 px: their cells then and now, and nothing else.
  QRegion expected;
  for (std::size_t i = 0; i < 2; ++i) {
    expected += Painted(before[i]).united(Painted(table.fish[i]));
  }
  EXPECT_EQ(painted, expected);
}

TEST_F(PresentedFrameTest, AMinimisedTankIsNotDrawnAndCatchesUpWhenShownAgain) {
  table.fish[0] = kRisingRed;
  Frame(0, {});
  const QImage shown = surfaces.work->Read();
  surfaces.suisou->showMinimized();
  Settle([this] { return !surfaces.suisou->CanBeSeen(); });
  ASSERT_FALSE(surfaces.suisou->CanBeSeen());
  painted = {};

  // The fish climbs on, unseen: nothing is drawn or painted.
  SettingsRecord settings;
  ScriptedRandom random({});
  for (int frame = 0; frame < 5; ++frame) {
    FrameStep(surfaces, table, settings, random, [] { return kTankWidth; });
  }
  Settle();
  EXPECT_EQ(table.fish[0].y, kRisingRed.y - 12);
  EXPECT_TRUE(SameImage(surfaces.work->Read(), shown));
  EXPECT_TRUE(painted.isEmpty());

  // Shown again, the tank shows where the fish is now, whole.
  surfaces.suisou->showNormal();
  Settle([this] { return surfaces.suisou->CanBeSeen(); });
  Settle();
  QImage expected = BareTank();
  PasteFish(expected, table.fish[0]);
  EXPECT_TRUE(SameImage(surfaces.suisou->Image().Read(), expected));
  EXPECT_EQ(painted, QRegion(0, 0, kTankWidth, kTankHeight));
}

TEST(StockTankDrawing, StockedFishAreDrawnIntoTheBufferOnly) {
  testing::TempDir dir;
  SettingsRecord settings;
  settings.lastFish = 1;
  settings.fishKind = {0, 1, 0, 0, 0, 0};
  FishTable table;
  table.fish[1].x = 300;
  // Per fish: heading 0, height floor(0.5 * 375) = 187.
  ScriptedRandom random({0.0, 0.5, 0.0, 0.5});
  SettingsFile settingsFile{dir.File("SET")};
  Form1 form(settings, table, random, settingsFile);
  SetUpWindow(form);
  QImage expected = form.Surfaces().work->Read();
  form.StockTank();
  EXPECT_EQ(random.Calls(), "RUURUU");

  PasteCell(expected, LoadPictures().pat[0], 0, 187, 75, 75, 0, 75);
  PasteCell(expected, LoadPictures().pat[2], 300, 187, 75, 75, 0, 75);
  EXPECT_TRUE(SameImage(form.Surfaces().work->Read(), expected));
  // The visible tank still shows the bare tank until the next frame.
  EXPECT_TRUE(SameImage(form.Surfaces().suisou->Image().Read(),
                        LoadPictures().tank.copy(0, 0, kTankWidth, kTankHeight)));
}

}  // namespace
}  // namespace finbowl
