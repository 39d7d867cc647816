// The tank on a Wayland compositor, through what the compositor shows, pixel
// for pixel against the same frames composed in memory: on a subsurface of
// its own, and painted by the toolkit where that cannot be had.
#include <gtest/gtest.h>

#include <QDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QWindow>

#include "render/frame_step.h"
#include "render/pictures.h"
#include "support/images.h"
#include "support/qt_wait.h"
#include "support/scenes.h"
#include "support/scripted_random.h"
#include "support/swimming.h"
#include "support/tank_peer.h"
#include "support/wayland_session.h"

namespace finbowl::testing {
extern WaylandSession* session;
}  // namespace finbowl::testing

namespace finbowl {
namespace {

using testing::ReadSurface;
using testing::SameImage;
using testing::TankPeer;

#ifdef FINBOWL_TEST_SCALE_FACTOR
constexpr int kRatio = FINBOWL_TEST_SCALE_FACTOR;
#else
constexpr int kRatio = 1;
#endif

// A window like the program's: the tank under a menu bar, inside whatever
// frame the toolkit draws, found on the screen once shown.
struct Bench {
  explicit Bench(std::unique_ptr<DrawingPlatform> p)
      : platform(std::move(p)), client(new QWidget), tank(*platform, LoadPictures(), client) {
    window.menuBar()->addMenu(QStringLiteral("設定"));
    client->setFixedSize(kTankWidth, kTankHeight);
    window.setCentralWidget(client);
    // Of a fixed size, as the program's, so that a tiling compositor lets it float.
    window.setFixedSize(window.sizeHint());
    window.show();
  }
  QImage Work() const { return ReadSurface(TankPeer::Work(tank)); }
  // Waits until the compositor asks for a frame.
  bool Ready() {
    return testing::ProcessEventsUntil([this] { return tank.suisou().CanBeSeen(); });
  }

  std::unique_ptr<DrawingPlatform> platform;
  QMainWindow window;
  QWidget* client;  // the window's
  Tank tank;
};

class WaylandDrawingTest : public ::testing::Test {
 protected:
  // The bench on the platform the program would choose, or in memory.
  void Show(bool own) {
    bench.reset();
    bench = std::make_unique<Bench>(own ? CreateDrawingPlatform() : CreateMemoryPlatform());
    ASSERT_TRUE(bench->Ready()) << "the compositor never asked for a frame";
    const QImage bare = testing::Magnified(bench->Work(), kRatio);
    ASSERT_TRUE(testing::ProcessEventsUntil([&] {
      return (at = testing::Find(testing::session->Screenshot(), bare)).has_value();
    })) << "the bare tank never showed";
  }

  // Frames of `table` on the bench and the model alike, the bench waiting
  // for the compositor before each.
  void Frame(const FishTable& table, int lastFish, const std::vector<double>& script) {
    ASSERT_TRUE(bench->Ready());
    SettingsRecord settings;
    settings.lastFish = static_cast<std::int16_t>(lastFish);
    for (Tank* tank : {&bench->tank, &model}) {
      FishTable copy = table;
      testing::ScriptedRandom random(script);
      FrameStep(*tank, copy, settings, random, kTankWidth);
    }
  }
  void Swim(int frames, bool waiting = true) {
    for (int i = 0; i < frames; ++i) {
      ASSERT_TRUE(!waiting || bench->Ready());
      swimming[0].Frames(bench->tank, 1);
      swimming[1].Frames(model, 1);
    }
  }

  // Whether the screen comes to show the model's frame at the bench's place
  // (or on `output`), magnified `ratio` times.
  ::testing::AssertionResult ScreenShowsTheFrame(const std::string& output = {},
                                                 int ratio = kRatio) {
    const QImage expected = testing::Magnified(ReadSurface(TankPeer::Work(model)), ratio);
    QImage shown;
    const auto matches = [&] {
      const QImage screen = testing::session->Screenshot(output);
      const std::optional<QPoint> place = output.empty() ? at : testing::Find(screen, expected);
      shown = place ? screen.copy(QRect(*place, expected.size())) : screen;
      return SameImage(shown, expected);
    };
    if (testing::ProcessEventsUntil(matches, std::chrono::seconds(5))) {
      return ::testing::AssertionSuccess();
    }
    return SameImage(shown, expected);
  }

  std::unique_ptr<Bench> bench;
  std::optional<QPoint> at;  // where the tank shows on the screen
  std::unique_ptr<DrawingPlatform> memory = CreateMemoryPlatform();
  Tank model{*memory, LoadPictures(), nullptr};
  testing::Swimming swimming[2] = {testing::Swimming(9), testing::Swimming(9)};
};

TEST_F(WaylandDrawingTest, EdgeScenesAndSwimmingShowAsComposedInMemory) {
  // On the tank's own subsurface and painted by the toolkit (as when the
  // compositor or the toolkit cannot give one) alike.
  for (const bool own : {true, false}) {
    SCOPED_TRACE(own ? "own surface" : "painted by the toolkit");
    Show(own);
    for (const testing::Scene& scene : testing::EdgeScenes()) {
      SCOPED_TRACE(scene.what);
      Frame(scene.Table(), scene.LastFish(), scene.script);
      ASSERT_TRUE(ScreenShowsTheFrame());
    }
    // Buffers that missed frames while others were shown still come right.
    for (int round = 0; round < 4; ++round) {
      Swim(5);
      ASSERT_TRUE(ScreenShowsTheFrame()) << "round " << round;
    }
  }
}

TEST_F(WaylandDrawingTest, FramesAfterADialogOverTheTankShowAsComposed) {
  Show(true);
  Swim(3);
  {
    QDialog dialog(&bench->window);
    dialog.resize(300, 200);
    dialog.show();
    ASSERT_TRUE(testing::ProcessEventsUntil(
        [&] { return dialog.windowHandle() && dialog.windowHandle()->isExposed(); }));
    Swim(3, false);
  }
  Swim(3);
  EXPECT_TRUE(ScreenShowsTheFrame());
}

#ifdef FINBOWL_TEST_SWAY
TEST_F(WaylandDrawingTest, MovedToAnOutputOfTwiceTheScaleTheTankIsSharpThere) {
  Show(true);
  Swim(3);
  ASSERT_TRUE(ScreenShowsTheFrame());
  ASSERT_TRUE(testing::session->Sway("[pid=" + std::to_string(::getpid()) +
                                     "] move container to output HEADLESS-2"));
  // The compositor tells the toolkit the new scale, and the next frames come
  // at it.
  ASSERT_TRUE(testing::ProcessEventsUntil([&] { return bench->window.devicePixelRatio() == 2; },
                                          std::chrono::seconds(10)));
  Swim(3);
  EXPECT_TRUE(ScreenShowsTheFrame("HEADLESS-2", 2));
}
#endif

}  // namespace
}  // namespace finbowl
