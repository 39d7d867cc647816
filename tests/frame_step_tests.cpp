// Frames composed by FrameStep, pixel for pixel, against a model that pastes
// each cell as C XOR (M AND NOT D) in the order the frame must stack them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QWindow>

#include "render/frame_step.h"
#include "render/pictures.h"
#include "shell/form1.h"
#include "sim/tank_area.h"
#include "support/images.h"
#include "support/qt_wait.h"
#include "support/scenes.h"
#include "support/scripted_random.h"
#include "support/swimming.h"
#include "support/tank_peer.h"
#include "support/temp_dir.h"

namespace finbowl {
namespace {

using testing::PasteCell;
using testing::SameImage;
using testing::ScriptedRandom;

// Fish columns: x, y, dir, frameX, sheet, rising.
constexpr Fish kRisingRed{300, 100, 1, 0, 0, 1};  // climbs 2 px, draws nothing random

const Pictures& TestPictures() {
  static const Pictures pictures = LoadPictures();
  return pictures;
}

QImage BareTank() {
  return TestPictures()
      .tank.copy(0, 0, kTankWidth, kTankHeight)
      .convertToFormat(QImage::Format_RGB32);
}

void PasteFish(QImage& frame, const Fish& f) {
  PasteCell(frame, TestPictures().pat[static_cast<std::size_t>(f.sheet)], f.x, f.y, 75, 75,
            f.frameX, 75);
}

void PasteBubble(QImage& frame, const Bubble& b) {
  PasteCell(frame, TestPictures().awa, b.x, b.y, 30, 30, 0, 30);
  PasteCell(frame, TestPictures().awa, b.x, b.y, 30, 30, 30, 30);
}

class FrameStepTest : public ::testing::Test {
 protected:
  FrameStepTest() : tank(*platform, TestPictures(), nullptr) {}

  // What the visible tank shows: work, once a frame is composed.
  QImage Work() const { return testing::ReadSurface(testing::TankPeer::Work(tank)); }

  // Runs one frame over `table` with the scripted values.
  QImage Frame(int lastFish, std::initializer_list<double> script) {
    table = testing::ScriptedFrame(tank, table, lastFish, script);
    return Work();
  }

  std::unique_ptr<DrawingPlatform> platform = CreateMemoryPlatform();
  Tank tank;
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
  EXPECT_TRUE(
      SameImage(frame.copy(0, 0, 100, kTankHeight), BareTank().copy(0, 0, 100, kTankHeight)));
  EXPECT_NE(frame.copy(100, 200, 75, 75), BareTank().copy(100, 200, 75, 75));
}

TEST_F(FrameStepTest, StackingAndClipping) {
  for (const testing::Scene& scene : testing::EdgeScenes()) {
    SCOPED_TRACE(scene.what);
    table = testing::ScriptedFrame(tank, scene.Table(), scene.LastFish(), scene.script);
    QImage expected = BareTank();
    for (std::size_t i = 0; i < scene.fish.size(); ++i) {
      // A bubble is drawn when its fish swam; here every swimming fish rose
      // its bubble by 0 px.
      if (table.bubble[i].active && !table.fish[i].rising) {
        PasteBubble(expected, table.bubble[i]);
      }
      PasteFish(expected, table.fish[i]);
    }
    EXPECT_TRUE(SameImage(Work(), expected));
  }
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
    tank.suisou().installEventFilter(this);
    tank.suisou().show();
    // The first paint shows the whole tank; frames come after it.
    testing::ProcessEventsUntil([this] {
      return tank.suisou().windowHandle()->isExposed() &&
             painted.contains(QRect(0, 0, kTankWidth, kTankHeight));
    });
    painted = {};
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(event)->region();
    }
    return false;
  }

  // Where the fish's sprite paints in its cell.
  QRect Painted(const Fish& f) const {
    const Rect a = testing::TankPeer::Pat(tank, f.sheet).Painted(f.frameX, 75, 75);
    return {f.x + a.x, f.y + a.y, a.w, a.h};
  }

  QRegion painted;
};

TEST_F(PresentedFrameTest, AFramePresentsOnlyWhereItsSpritesLieAndLay) {
  table.fish[0] = kRisingRed;
  table.fish[1] = {100, 300, 4, 0, 3, 1};
  // The first frame presents where its sprites lie, over the bare tank shown.
  Frame(1, {});
  ASSERT_TRUE(testing::ProcessEventsUntil([&] {
    return painted.contains(Painted(table.fish[0])) && painted.contains(Painted(table.fish[1]));
  }));
  const std::array<Fish, 2> before = {table.fish[0], table.fish[1]};
  // Both rising fish climb 2 px: their cells then and now, and nothing else.
  painted = {};
  Frame(1, {});
  QRegion expected;
  for (std::size_t i = 0; i < 2; ++i) {
    expected += Painted(before[i]).united(Painted(table.fish[i]));
  }
  EXPECT_TRUE(testing::ProcessEventsUntil([&] { return painted == expected; }))
      << "painted " << painted.boundingRect().x() << "," << painted.boundingRect().y() << " "
      << painted.boundingRect().width() << "x" << painted.boundingRect().height();
}

TEST_F(PresentedFrameTest, AMinimisedTankDrawsNothingAndTheNextFrameShowsWhereTheFishAre) {
  table.fish[0] = kRisingRed;
  Frame(0, {});
  const QImage shown = Work();
  tank.suisou().showMinimized();
  ASSERT_TRUE(testing::ProcessEventsUntil([this] { return !tank.suisou().CanBeSeen(); }));

  // The fish climbs on, unseen: nothing is drawn or presented.
  painted = {};
  for (int frame = 0; frame < 5; ++frame) {
    table = testing::ScriptedFrame(tank, table, 0, {});
  }
  EXPECT_EQ(table.fish[0].y, kRisingRed.y - 12);
  EXPECT_TRUE(SameImage(Work(), shown));

  // Shown again, the next frame shows where the fish is now.
  tank.suisou().showNormal();
  ASSERT_TRUE(testing::ProcessEventsUntil([this] { return tank.suisou().CanBeSeen(); }));
  table = testing::ScriptedFrame(tank, table, 0, {});
  QImage expected = BareTank();
  PasteFish(expected, table.fish[0]);
  EXPECT_TRUE(SameImage(Work(), expected));
  EXPECT_TRUE(
      testing::ProcessEventsUntil([&] { return painted.contains(Painted(table.fish[0])); }));
}

TEST(StockTankDrawing, StockedFishAreDrawnIntoTheBufferOnly) {
  testing::TempDir dir;
  SettingsRecord settings;
  settings.lastFish = 1;
  settings.fishKind = {0, 1, 0, 0, 0, 0};
  FishTable table;
  table.fish[1].x = 300;
  // Per fish: heading 0, height floor(0.5 * 375) = 187.
  auto script = std::make_unique<ScriptedRandom>(std::initializer_list<double>{0.0, 0.5, 0.0, 0.5});
  ScriptedRandom& random = *script;
  Aquarium aquarium(settings, std::move(script), table);
  SettingsFile settingsFile{dir.File("SET")};
  Form1 form(aquarium, settingsFile);
  SetUpWindow(form);
  const auto work = [&form] { return testing::ReadSurface(testing::TankPeer::Work(form.tank())); };
  QImage expected = work();
  form.Restock();
  EXPECT_EQ(random.Calls(), "RUURUU");

  PasteCell(expected, TestPictures().pat[0], 0, 187, 75, 75, 0, 75);
  PasteCell(expected, TestPictures().pat[2], 300, 187, 75, 75, 0, 75);
  EXPECT_TRUE(SameImage(work(), expected));
  // The visible tank still shows the bare tank until the next frame, even
  // when it is painted again before it.
  EXPECT_TRUE(SameImage(form.tank().suisou().grab().toImage().convertToFormat(QImage::Format_RGB32),
                        BareTank()));
}

}  // namespace
}  // namespace finbowl
