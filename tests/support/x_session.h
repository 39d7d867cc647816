#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <QImage>
#include <QRect>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/tank_area.h"
#include "support/temp_dir.h"

namespace finbowl::testing {

using namespace std::chrono_literals;

// Polls `ready` until it holds or `limit` passes; returns whether it held.
// Real-window tests wait for what they need this way, never by fixed sleeps.
bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit = 20s);

// A child process with its own environment and working directory.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          const std::string& workingDir = ".", const std::string& stderrFile = "/dev/null");
  ~Process();  // kills the process if it still runs
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }
  void Signal(int signal) const;
  // The exit status once the process has ended within `limit`; -1 if it was
  // killed by a signal, nothing if it still runs.
  std::optional<int> WaitForExit(std::chrono::milliseconds limit = 20s);

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

class XSession;

// How the program under test is started: what SET holds first (left as it
// is when nothing), what the environment adds, and a command that runs it.
struct Launch {
  std::optional<Bytes> set = {};
  std::map<std::string, std::string> env = {};
  std::vector<std::string> prefix = {};
};

// The program under test started on a session's display in `dir`, with its
// stderr in dir/stderr.txt: the process, and its main window once the window
// manager has framed it and the program has centred it (or nothing, if that
// did not happen in time).
struct Finbowl {
  Finbowl(XSession& session, const std::string& dir, Launch how = {});
  std::unique_ptr<Process> process;
  std::optional<xcb_window_t> window;
  QRect client;  // the main window's client area, menu bar and tank
  // Where the tank is on the screen.
  QRect Tank() const {
    return {client.x(), client.bottom() + 1 - kTankHeight, kTankWidth, kTankHeight};
  }
};

// A private X server (Xvfb) on a free display, optionally with a window
// manager, and a connection to it for looking at windows.
class XSession {
 public:
  explicit XSession(bool withWindowManager = true, int width = 1280, int height = 1024);
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  const std::string& display() const { return display_; }
  // The environment a program on this display needs.
  std::map<std::string, std::string> Environment() const;
  QSize ScreenSize() const;

  // A top-level client window whose title is `title`, once it is mapped.
  std::optional<xcb_window_t> FindWindow(const std::string& title);
  // Every mapped top-level client window titled `title`, for programs that
  // show several windows with one caption.
  std::vector<xcb_window_t> FindWindows(const std::string& title);
  // The rectangle of a mapped override-redirect window straight under the
  // root, such as an open popup menu.
  std::optional<QRect> FindPopup();
  // The client window's rectangle on the screen, frame excluded.
  QRect ClientGeometry(xcb_window_t window);
  // Whether the window is mapped and all its ancestors are: minimised or on
  // another workspace, it is not.
  bool IsViewable(xcb_window_t window);
  // The frame the window manager put around the window, as left, top, right and bottom.
  QMargins FrameExtents(xcb_window_t window);
  // Whether the window manager has framed the window and its frame stands in
  // the middle of the screen, where a program asks for it; `client` is then
  // the client window's rectangle. Until then the window may still move.
  bool IsFramedAndCentred(xcb_window_t window, QRect* client);
  // What the screen shows inside `rect`.
  QImage Grab(const QRect& rect);

  // Ends the X server, as when the display goes away under a running program.
  void KillServer();

  // Runs a command-line X tool (wmctrl, xdotool) on this display.
  int RunTool(const std::vector<std::string>& argv);

 private:
  bool WaitForFramedProbe();

  std::string display_;
  std::string runtimeDir_;
  std::optional<Process> server_;
  std::optional<Process> windowManager_;
  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
};

// The program under test, built beside the tests.
std::string FinbowlExecutable();

// How often the process's main thread has waited since it started: every
// frame wakes it, so this grows at least as fast as the frames it handles.
long Wakeups(pid_t pid);

// The lines the program itself wrote to `stderrFile` ("finbowl: ..."), leaving
// out what Qt or the X libraries may print there now and then.
std::string FinbowlLines(const std::string& stderrFile);

// The lines of a sanitizer's report in `stderrFile` (an address, leak or
// undefined-behaviour sanitizer build), empty when there is none.
std::string SanitizerReport(const std::string& stderrFile);

}  // namespace finbowl::testing
