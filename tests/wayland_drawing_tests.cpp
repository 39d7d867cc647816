// The tank on a Wayland compositor, through what the compositor shows, pixel
// for pixel against the same frames composed in memory: on a subsurface of
// its own, and painted by the toolkit where that cannot be had.
#include <gtest/gtest.h>

#include <QDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QWindow>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "render/frame_step.h"
#include "render/pictures.h"
#include "support/images.h"
#include "support/qt_wait.h"
#include "support/scenes.h"
#include "support/scripted_random.h"
#include "support/swimming.h"
#include "support/tank_peer.h"
#include "support/temp_dir.h"
#include "support/wayland_session.h"

namespace finbowl::testing {
extern WaylandSession* session;
}  // namespace finbowl::testing

namespace finbowl {
namespace {

using testing::ReadSurface;
using testing::SameImage;
using testing::TankPeer;
using namespace std::chrono_literals;

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
    bench->tank.ShowFrame({});  // a frame with no fish, from the tank's own buffers if it has them
    const QImage bare = testing::Magnified(bench->Work(), kRatio);
    ASSERT_TRUE(testing::ProcessEventsUntil([&] {
      return (at = testing::Find(testing::session->Screenshot(), bare)).has_value();
    })) << "the bare tank never showed";
    // Where the toolkit puts the tank in the window, under the menu bar.
    const QImage look = bench->window.grab().toImage();
    std::optional<QPoint> window;
    EXPECT_TRUE(testing::ProcessEventsUntil([&] {
      return (window = testing::Find(testing::session->Screenshot(), look)).has_value();
    })) << "the window does not show as the toolkit draws it";
    EXPECT_EQ(window.value_or(QPoint()) + bench->client->mapTo(&bench->window, QPoint()) * kRatio,
              *at);
  }

  // Frames of `table` on the bench and the model alike, the bench waiting
  // for the compositor before each.
  void Frame(const FishTable& table, int lastFish, const std::vector<double>& script) {
    ASSERT_TRUE(bench->Ready());
    for (Tank* tank : {&bench->tank, &model}) {
      testing::ScriptedFrame(*tank, table, lastFish, script);
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
// The program itself, its requests logged by libwayland: how often each
// surface was committed, the tank's own among them.
struct Logged {
  explicit Logged(std::map<std::string, std::string> env = {}) {
    env.merge(testing::session->Environment());
    env["QT_QPA_PLATFORM"] = "wayland";
    env["WAYLAND_DEBUG"] = "client";
    process.emplace(std::vector<std::string>{testing::FinbowlExecutable()}, env,
                    dir.path().string(), log);
  }
  std::string Text() const {
    std::ifstream in(log);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Commits of the tank's own surface, or of every surface.
  int Commits(bool tankOnly = true) const {
    const std::string text = Text();
    std::smatch tank;
    const bool hasTank = std::regex_search(
        text, tank,
        std::regex(R"(get_subsurface\(new id wl_subsurface[@#]\d+, (wl_surface[@#]\d+))"));
    if (tankOnly && !hasTank) {
      return 0;
    }
    const std::regex commit(tankOnly ? " " + tank.str(1) + R"(\.commit\(\))"
                                     : std::string(R"(wl_surface[@#]\d+\.commit\(\))"));
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), commit),
                                          std::sregex_iterator()));
  }

  testing::TempDir dir;
  std::string log = dir.File("wayland.log");
  std::optional<testing::Process> process;
};

TEST(WaylandProgram, OnAnotherWorkspaceNothingIsCommittedAndBackThereTheFramesGoOn) {
  Logged program;
  ASSERT_TRUE(testing::WaitFor([&] { return program.Commits() >= 5; }))
      << "the tank's surface was never committed";
  // Another workspace on the output that shows the window: the second
  // output shows one of its own.
  ASSERT_TRUE(testing::session->Sway("focus output HEADLESS-1, workspace 3"));
  // A frame already asked for may still come; then nothing, frame after
  // frame: no commit in a second, nor in the two after it.
  int hidden = -1;
  ASSERT_TRUE(testing::WaitFor([&] {
    hidden = program.Commits(false);
    std::this_thread::sleep_for(1s);
    return program.Commits(false) == hidden;
  })) << "commits went on";
  std::this_thread::sleep_for(2s);
  EXPECT_EQ(program.Commits(false), hidden);

  ASSERT_TRUE(testing::session->Sway("workspace 1"));
  const int tank = program.Commits();
  EXPECT_TRUE(testing::WaitFor([&] { return program.Commits() >= tank + 5; }));

  // Closed, it writes SET and is gone soon.
  program.process->Signal(SIGTERM);
  EXPECT_EQ(program.process->WaitForExit(), 0);
  EXPECT_EQ(std::filesystem::file_size(program.dir.File("SET")), 14u);
}

TEST(WaylandProgram, FINBOWL_DRAWING_memoryLeavesTheTankToTheToolkit) {
  Logged program(std::map<std::string, std::string>{{"FINBOWL_DRAWING", "memory"}});
  ASSERT_TRUE(testing::WaitFor([&] { return program.Commits(false) >= 10; }))
      << "the toolkit never showed the frames";
  EXPECT_EQ(program.Text().find("get_subsurface"), std::string::npos);
}

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
