// The real program on a real (virtual) X display with a window manager:
// start-up, the window as the user sees it, and every way of ending it.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "render/pictures.h"
#include "sim/tank_area.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "support/x_session.h"
#include "support/x_session_test.h"

namespace finbowl {
namespace {

using namespace testing;

Bytes ToBytes(const std::string& text) {
  return {text.begin(), text.end()};
}

class ProcessTest : public XSessionTest {
 protected:
  // Starts finbowl in `dir`, after `prefix` (a command that runs it), and
  // waits for its window.
  std::unique_ptr<Process> Start(const TempDir& dir, std::vector<std::string> prefix = {}) {
    Finbowl started(*session, dir.path().string(), {.prefix = std::move(prefix)});
    window = started.window;
    client = started.client;
    return std::move(started.process);
  }

  std::optional<xcb_window_t> window;
  QRect client;
};

TEST_F(ProcessTest, FirstStartCreatesSetAndClosingThroughTheWindowManagerWritesIt) {
  TempDir dir;
  auto finbowl = Start(dir);
  ASSERT_TRUE(window) << "no window appeared";
  // SET exists, empty, while the program runs.
  EXPECT_TRUE(std::filesystem::exists(dir.File("SET")));
  EXPECT_EQ(std::filesystem::file_size(dir.File("SET")), 0u);

  ASSERT_EQ(session->RunTool({"wmctrl", "-c", "Finbowl"}), 0);
  EXPECT_EQ(finbowl->WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(dir.File("SET")), Bytes(14, 0));
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "") << "the program complained";
}

TEST_F(ProcessTest, WindowShowsTheTankBelowTheMenuBarCentredOnTheScreen) {
  TempDir dir;
  auto finbowl = Start(dir);
  ASSERT_TRUE(window);

  // Centred once the window manager has framed it.
  const QRect frame = client.marginsAdded(session->FrameExtents(*window));
  EXPECT_TRUE(session->IsFramedAndCentred(*window, &client))
      << "frame at " << frame.x() << "," << frame.y() << " size " << frame.width() << "x"
      << frame.height();

  // The client window is the menu bar over the 640 x 450 tank.
  EXPECT_EQ(client.width(), kTankWidth);
  const int menuBar = client.height() - kTankHeight;
  EXPECT_GE(menuBar, 15);
  EXPECT_LE(menuBar, 40);
  // The tank's white band and water stand right under the menu bar.
  const QImage tank =
      session->Grab(QRect(client.x(), client.y() + menuBar, kTankWidth, kTankHeight));
  const QImage picture = LoadPictures().tank;
  int same = 0;
  for (int y = 0; y < kTankHeight; ++y) {
    for (int x = 0; x < kTankWidth; ++x) {
      same += (tank.pixel(x, y) & 0xFFFFFF) == (picture.pixel(x, y) & 0xFFFFFF);
    }
  }
  // Fish may cover part of it.
  EXPECT_GT(same, kTankWidth * kTankHeight * 9 / 10);
  finbowl->Signal(SIGTERM);
  EXPECT_EQ(finbowl->WaitForExit(), 0);
}

TEST_F(ProcessTest, SessionEndSignalsCloseTheWindowTheNormalWay) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    TempDir dir;
    // A 20-byte SET asking for eight goldfish: the close writes the five
    // the program uses, and keeps the tail.
    Bytes stored = {7, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 8, 7, 6, 5, 4};
    WriteBytes(dir.File("SET"), stored);
    auto finbowl = Start(dir);
    ASSERT_TRUE(window) << "signal " << signal;
    finbowl->Signal(signal);
    EXPECT_EQ(finbowl->WaitForExit(), 0) << "signal " << signal;
    stored[0] = 4;
    EXPECT_EQ(ReadBytes(dir.File("SET")), stored) << "signal " << signal;
    EXPECT_TRUE(WaitFor([&] { return !session->FindWindow("Finbowl"); })) << "signal " << signal;
  }
}

// Whatever the locale, the program's own line is all that is printed: Qt
// would add four lines of its own where the character type is not UTF-8.
TEST_F(ProcessTest, BrokenSetIsReportedInOneLineAndRepairedWhateverTheLocale) {
  struct Row {
    const char* name;
    std::vector<std::string> env;  // arguments of `env` before the program
  };
  const std::vector<std::string> noLocale = {"env", "-u", "LANG", "-u", "LC_ALL", "-u", "LC_CTYPE"};
  const std::vector<Row> rows = {
      {"no locale set", {}},
      {"LANG=C", {"LANG=C"}},
      {"LC_ALL=POSIX over a UTF-8 LANG", {"LANG=C.UTF-8", "LC_ALL=POSIX"}},
      {"a locale that is not installed", {"LANG=xx_YY.ISO-8859-1"}},
      {"C.UTF-8", {"LANG=C.UTF-8"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    WriteBytes(dir.File("SET"), {0x09, 0x00, 0x01, 0x00});
    std::vector<std::string> prefix = noLocale;
    prefix.insert(prefix.end(), row.env.begin(), row.env.end());
    auto finbowl = Start(dir, prefix);
    ASSERT_TRUE(window);
    finbowl->Signal(SIGTERM);
    EXPECT_EQ(finbowl->WaitForExit(), 0);
    EXPECT_EQ(ReadBytes(dir.File("SET")), (Bytes{4, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ReadBytes(dir.File("stderr.txt")),
              ToBytes("finbowl: SET asks for 10 goldfish; using 5\n"));
  }
}

// A SET its owner may write but not read: the run starts with one red
// goldfish, and the close leaves the file as it was and says why.
TEST_F(ProcessTest, UnreadableSetIsLeftAsItWas) {
  TempDir dir;
  const Bytes stored = {3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0};
  WriteBytes(dir.File("SET"), stored);
  GiveToUnprivileged(dir.path().string());
  GiveToUnprivileged(dir.File("SET"));
  ASSERT_EQ(::chmod(dir.File("SET").c_str(), 0222), 0);
  // Root reads whatever it likes: run as nobody.
  std::vector<std::string> asNobody;
  if (::geteuid() == 0) {
    asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
  }
  auto finbowl = Start(dir, asNobody);
  ASSERT_TRUE(window);
  finbowl->Signal(SIGTERM);
  EXPECT_EQ(finbowl->WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(dir.File("SET")), stored);
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")),
            "finbowl: cannot read SET (Permission denied); starting with one red goldfish\n"
            "finbowl: SET left unchanged: it could not be read at start, and no settings were "
            "chosen with OK\n");
}

// A socket that takes connections and never answers, as a stopped display
// server's does.
class SilentSocket {
 public:
  explicit SilentSocket(const std::string& path) : path_(path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool listening =
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(fd_, 8) == 0;
    EXPECT_TRUE(listening) << path;
  }
  ~SilentSocket() {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
  SilentSocket(const SilentSocket&) = delete;
  SilentSocket& operator=(const SilentSocket&) = delete;

 private:
  std::string path_;
  int fd_;
};

// A display number with no server behind it.
int UnusedDisplay(int from) {
  while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(from)) ||
         std::filesystem::exists("/tmp/.X" + std::to_string(from) + "-lock")) {
    ++from;
  }
  return from;
}

// With no display named, or one named that does not answer, Qt would abort
// with a core dump or wait for ever; a platform chosen by the user still
// runs, display or not.
TEST(ProcessWithoutADisplay, SaysSoInOneLineUnlessAPlatformIsChosen) {
  const int unused = UnusedDisplay(4000);
  const std::string deadDisplay = ":" + std::to_string(unused);
  const int silent = UnusedDisplay(unused + 1);
  std::filesystem::create_directories("/tmp/.X11-unix");
  SilentSocket silentX("/tmp/.X11-unix/X" + std::to_string(silent));
  TempDir silentRuntime;
  SilentSocket silentWayland(silentRuntime.File("finbowl-silent"));
  struct Row {
    const char* name;
    std::vector<std::string> argv;  // finbowl's arguments after `env` and its settings
    std::string line;               // what it says, or empty when it runs
    std::string reason = {};        // a part of that line Qt's words give
    bool whole = false;             // `line` is all it says, to the byte
  };
  const std::vector<std::string> noDisplay = {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};
  const std::string nothingNamed =
      "finbowl: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  const std::string cannotShow = "finbowl: cannot show the window: ";
  const std::vector<Row> rows = {
      {"nothing named", {"-u", "QT_QPA_PLATFORM", FinbowlExecutable()}, nothingNamed, "", true},
      {"an empty DISPLAY",
       {"-u", "QT_QPA_PLATFORM", "DISPLAY=", FinbowlExecutable()},
       nothingNamed,
       "",
       true},
      {"a DISPLAY nobody answers",
       {"-u", "QT_QPA_PLATFORM", "DISPLAY=" + deadDisplay, FinbowlExecutable()},
       cannotShow,
       "display " + deadDisplay},
      {"a WAYLAND_DISPLAY nobody answers",
       {"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=finbowl-none", FinbowlExecutable()},
       cannotShow},
      {"a DISPLAY that never answers",
       {"-u", "QT_QPA_PLATFORM", "DISPLAY=:" + std::to_string(silent), FinbowlExecutable()},
       cannotShow,
       "no answer from DISPLAY=:" + std::to_string(silent)},
      {"a WAYLAND_DISPLAY that never answers",
       {"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=" + silentRuntime.File("finbowl-silent"),
        FinbowlExecutable()},
       cannotShow,
       "no answer from WAYLAND_DISPLAY=" + silentRuntime.File("finbowl-silent")},
      {"X11 chosen, and no DISPLAY",
       {"QT_QPA_PLATFORM=xcb", FinbowlExecutable()},
       cannotShow,
       "could not connect to display (DISPLAY is not set)"},
      {"a platform Qt does not have",
       {"QT_QPA_PLATFORM=none-such", FinbowlExecutable()},
       cannotShow,
       "none-such"},
      {"QT_QPA_PLATFORM=offscreen", {"QT_QPA_PLATFORM=offscreen", FinbowlExecutable()}, ""},
      {"-platform offscreen",
       {"-u", "QT_QPA_PLATFORM", FinbowlExecutable(), "-platform", "offscreen"},
       ""},
  };
  // All at once: the displays that never answer take a while to give up on.
  struct Started {
    TempDir dir, runtime;
    std::unique_ptr<Process> process;
  };
  std::vector<Started> started(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::vector<std::string> argv = noDisplay;
    argv.insert(argv.end(), rows[i].argv.begin(), rows[i].argv.end());
    started[i].process = std::make_unique<Process>(
        argv, std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", started[i].runtime.path()}},
        started[i].dir.path().string(), started[i].dir.File("stderr.txt"));
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(row.name);
    const TempDir& dir = started[i].dir;
    Process& finbowl = *started[i].process;
    if (row.line.empty()) {
      // SET is made once the program is up; the signal then closes it.
      ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.File("SET")); }));
      finbowl.Signal(SIGTERM);
      EXPECT_EQ(finbowl.WaitForExit(), 0);
      EXPECT_EQ(ReadBytes(dir.File("SET")), Bytes(14, 0));
      EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "");
    } else {
      // Status 1, not a signal; one line, whatever Qt had to say on the way.
      EXPECT_EQ(finbowl.WaitForExit(), 1);
      const Bytes said = ReadBytes(dir.File("stderr.txt"));
      const std::string text(said.begin(), said.end());
      if (row.whole) {
        EXPECT_EQ(text, row.line + "\n");
      } else {
        EXPECT_TRUE(text.starts_with(row.line)) << text;
        EXPECT_TRUE(text.ends_with('\n')) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_NE(text.find(row.reason), std::string::npos) << text;
      }
      EXPECT_FALSE(std::filesystem::exists(dir.File("SET")));
    }
  }
}

TEST(ProcessWithoutItsDisplay, TheDisplayGoingAwayStillSavesTheSettings) {
  // Its own server, since this test ends it.
  XSession display(/*withWindowManager=*/false);
  TempDir dir;
  WriteBytes(dir.File("SET"), {2, 0, 1, 0});
  Process finbowl({FinbowlExecutable()}, display.Environment(), dir.path().string(),
                  dir.File("stderr.txt"));
  ASSERT_TRUE(WaitFor([&] { return display.FindWindow("Finbowl").has_value(); }));
  display.KillServer();
  // Qt ends the program at once with status 1, without closing the window
  // the normal way; the program has nothing to complain about, and a
  // sanitizer build nothing to report.
  EXPECT_EQ(finbowl.WaitForExit(), 1);
  EXPECT_EQ(ReadBytes(dir.File("SET")), (Bytes{2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "");
  EXPECT_EQ(SanitizerReport(dir.File("stderr.txt")), "");
}

}  // namespace
}  // namespace finbowl
