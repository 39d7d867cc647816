// The two ways of drawing must give the same pixels: the same frames go
// through surfaces in memory and through pixmaps on the X server, and every
// pixel of the results is compared, down to what the screen shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <random>

#include "render/frame_step.h"
#include "render/pictures.h"
#include "support/allocation_counter.h"
#include "support/images.h"
#include "support/qt_wait.h"
#include "support/scenes.h"
#include "support/scripted_random.h"
#include "support/swimming.h"
#include "support/tank_peer.h"
#include "support/x_window_pixels.h"

namespace finbowl {
namespace {

using testing::ReadSurface;
using testing::SameImage;
using testing::TankPeer;

// The device pixels per pixel the tests run at (QT_SCALE_FACTOR).
int Ratio() {
  return std::max(1, qEnvironmentVariableIntValue("QT_SCALE_FACTOR"));
}

// The tank on one platform, inside a window shown at `where`, apart from the
// other's, so that each visible tank is a real window on the X server.
struct Bench {
  Bench(std::unique_ptr<DrawingPlatform> p, QPoint where)
      : platform(std::move(p)), tank(*platform, LoadPictures(), &window) {
    window.resize(kTankWidth, kTankHeight);
    window.move(where);
    window.show();
    testing::ProcessEventsUntil(
        [this] { return window.windowHandle() && window.windowHandle()->isExposed(); });
  }
  // What the bench's window shows, once the toolkit has painted what it was
  // asked to and the server has taken every request.
  QImage Screen() {
    QCoreApplication::processEvents();
    const bool ownWindow = tank.suisou().testAttribute(Qt::WA_NativeWindow);
    return testing::ReadWindow(ownWindow ? static_cast<QWidget&>(tank.suisou()) : window,
                               kTankWidth * Ratio(), kTankHeight * Ratio());
  }

  QImage Work() const { return ReadSurface(TankPeer::Work(tank)); }

  std::unique_ptr<DrawingPlatform> platform;
  QWidget window;
  Tank tank;
};

class X11DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto x11 = CreateX11Platform();
    ASSERT_TRUE(x11) << "the test X server should take the X11 surfaces";
    server = std::make_unique<Bench>(std::move(x11), QPoint(0, 0));
    memory = std::make_unique<Bench>(CreateMemoryPlatform(), QPoint(0, kTankHeight + 10));
  }

  std::array<Bench*, 2> Benches() { return {server.get(), memory.get()}; }

  // One frame of `table` on both, with the same scripted values.
  void FrameOnBoth(const FishTable& table, int lastFish, const std::vector<double>& script) {
    for (Bench* bench : Benches()) {
      testing::ScriptedFrame(bench->tank, table, lastFish, script);
    }
  }

  // Frames of five fish swimming alike on both.
  void SwimOnBoth(int frames) {
    for (std::size_t b = 0; b < 2; ++b) {
      swimming_[b].Frames(Benches()[b]->tank, frames);
    }
  }

  ::testing::AssertionResult SameFrames() {
    auto same = SameImage(server->Work(), memory->Work());
    if (!same) {
      return same << " (work)";
    }
    return SameImage(ReadSurface(TankPeer::Back(server->tank)),
                     ReadSurface(TankPeer::Back(memory->tank)))
           << " (back)";
  }

  // Both windows show the frame the tank in memory holds.
  ::testing::AssertionResult ScreensShowTheFrame() {
    const QImage expected = testing::Magnified(memory->Work(), Ratio());
    auto onServer = SameImage(server->Screen(), expected);
    if (!onServer) {
      return onServer << " (the tank drawn on the server)";
    }
    return SameImage(memory->Screen(), expected) << " (the tank drawn in memory)";
  }

  std::unique_ptr<Bench> server;
  std::unique_ptr<Bench> memory;

 private:
  testing::Swimming swimming_[2] = {testing::Swimming(9), testing::Swimming(9)};
};

TEST_F(X11DrawingTest, EdgeScenesGiveTheSamePixels) {
  for (const testing::Scene& scene : testing::EdgeScenes()) {
    SCOPED_TRACE(scene.what);
    FrameOnBoth(scene.Table(), scene.LastFish(), scene.script);
    EXPECT_TRUE(SameFrames());
  }
}

TEST_F(X11DrawingTest, FramesOfSwimmingGiveTheSamePixelsOnTheScreenToo) {
  // Presenting sends the window only what changed; what the window shows
  // must still be the whole frame, frame after frame.
  for (int round = 0; round < 12; ++round) {
    SwimOnBoth(10);
    ASSERT_TRUE(SameFrames()) << "round " << round;
    ASSERT_TRUE(ScreensShowTheFrame()) << "round " << round;
  }
}

TEST_F(X11DrawingTest, TheTankKeepsShowingItsFrameWhileTheBufferIsDrawnOutsideAFrame) {
  // Restocking draws into work between frames; a repaint in that time must
  // still show the frame.
  SwimOnBoth(12);
  const QImage frame = memory->Work();
  ASSERT_TRUE(ScreensShowTheFrame());
  const Fish newcomer{300, 200, 1, 75, 3, 0};
  for (Bench* bench : Benches()) {
    bench->tank.DrawFish(newcomer);
  }
  ASSERT_TRUE(SameImage(server->Work(), memory->Work()));
  EXPECT_FALSE(SameImage(server->Work(), frame)) << "the newcomer should show in the buffer";

  // The server loses the window's pixels; the repaint brings back the
  // frame, without the newcomer.
  testing::Blacken(server->tank.suisou());
  server->tank.suisou().repaint();
  EXPECT_TRUE(SameImage(server->Screen(), testing::Magnified(frame, Ratio())));

  // The next frames wipe the newcomer and show the fish as they swim on.
  SwimOnBoth(3);
  EXPECT_TRUE(SameFrames());
  EXPECT_TRUE(ScreensShowTheFrame());
}

TEST_F(X11DrawingTest, ACoveredTankDrawsNothingAndShowsItsFramesAgainWhenUncovered) {
  SwimOnBoth(3);
  ASSERT_TRUE(ScreensShowTheFrame());
  VisibleSurface& tank = server->tank.suisou();
  std::optional<testing::Cover> cover(std::in_place, kTankWidth * Ratio() + 10,
                                      kTankHeight * Ratio() + 10);
  ASSERT_TRUE(testing::ProcessEventsUntil([&] { return !tank.CanBeSeen(); }))
      << "the server never said the tank was covered";

  // The fish swim on behind the cover, but nothing is drawn for them.
  const QImage covered = server->Work();
  SwimOnBoth(5);
  EXPECT_TRUE(SameImage(server->Work(), covered));

  // Uncovered, the window shows the last frame drawn, and the next frame the
  // fish where they are now.
  cover.reset();
  ASSERT_TRUE(testing::ProcessEventsUntil([&] { return tank.CanBeSeen(); }));
  const QImage lastDrawn = testing::Magnified(covered, Ratio());
  EXPECT_TRUE(testing::ProcessEventsUntil([&] { return SameImage(server->Screen(), lastDrawn); }));
  SwimOnBoth(1);
  EXPECT_TRUE(SameFrames());
  EXPECT_TRUE(ScreensShowTheFrame());
}

TEST_F(X11DrawingTest, SpritePastesGiveTheSamePixels) {
  // Random sprite sheets pasted at random places, sizes and corners, every
  // single row and column first, so that the edges of the sheet and of the
  // destination are all reached.
  constexpr int kW = 48, kHalf = 20;
  std::mt19937 generator(23);
  const auto random = [&generator](int low, int high) {
    return low + static_cast<int>(generator() % static_cast<unsigned>(high - low + 1));
  };
  const QImage sheet = testing::RandomSheet(kW, kHalf, generator);
  const QImage ground = testing::RandomImage(64, 48, generator);
  std::array<std::unique_ptr<SpriteSheet>, 2> sheets;
  std::array<std::unique_ptr<Surface>, 2> grounds;
  for (std::size_t b = 0; b < 2; ++b) {
    sheets[b] = Benches()[b]->platform->CreateSpriteSheet(sheet);
    grounds[b] = Benches()[b]->platform->CreateSurface(ground.width(), ground.height(), &ground);
  }
  const auto pasteOnBoth = [&](int x, int y, int w, int h, int sx, int sy) {
    for (std::size_t b = 0; b < 2; ++b) {
      PasteSprite(*grounds[b], x, y, w, h, *sheets[b], sx, sy);
    }
    return SameImage(ReadSurface(*grounds[0]), ReadSurface(*grounds[1]));
  };
  for (int sx = -1; sx <= kW; ++sx) {
    ASSERT_TRUE(pasteOnBoth(sx + 8, 4, 1, kHalf, sx, 0)) << "column " << sx;
  }
  for (int sy = -1; sy <= kHalf; ++sy) {
    ASSERT_TRUE(pasteOnBoth(2, sy + 10, 33, 1, 0, sy)) << "row " << sy;
  }
  for (int step = 0; step < 400; ++step) {
    const int x = random(-20, 70), y = random(-20, 50), w = random(1, 30), h = random(1, 24);
    const int sx = random(-5, 47), sy = random(-5, 22);
    ASSERT_TRUE(pasteOnBoth(x, y, w, h, sx, sy))
        << "step " << step << ": " << w << "x" << h << " at " << x << "," << y << " from " << sx
        << "," << sy;
  }
}

TEST_F(X11DrawingTest, SurfacesHoldTheirPicturesAsInMemory) {
  std::mt19937 generator(5);
  const QImage picture = testing::RandomImage(37, 23, generator);
  for (const QSize size : {QSize(30, 20), QSize(50, 30), QSize(12, 40), QSize(0, 5), QSize(9, 9)}) {
    ASSERT_TRUE(SameImage(
        ReadSurface(*server->platform->CreateSurface(size.width(), size.height(), &picture)),
        ReadSurface(*memory->platform->CreateSurface(size.width(), size.height(), &picture))))
        << size.width() << "x" << size.height();
  }
}

TEST_F(X11DrawingTest, FramesOnTheServerAllocateNothing) {
  testing::Swimming swimming(2);
  swimming.Stock(server->tank);
  testing::AllocationCount count;
  swimming.Frames(server->tank, 1000);
  EXPECT_EQ(count.Stop(), 0);
}

}  // namespace
}  // namespace finbowl
