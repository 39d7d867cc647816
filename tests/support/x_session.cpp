#include "support/x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QMargins>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>

namespace finbowl::testing {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &std::free);
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  auto reply = Own(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string Property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  auto reply = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
  if (!reply) {
    return {};
  }
  const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace

bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

Process::Process(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& env, const std::string& workingDir,
                 const std::string& stderrFile) {
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (!env.count(entry.substr(0, entry.find('=')))) {
      environment.push_back(entry);
    }
  }
  for (const auto& [key, value] : env) {
    environment.push_back(key + "=" + value);
  }
  std::vector<char*> args, envp;
  for (const auto& a : argv) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);
  for (const auto& e : environment) {
    envp.push_back(const_cast<char*>(e.c_str()));
  }
  envp.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) {
    throw std::runtime_error("fork");
  }
  if (pid_ == 0) {
    // Its own process group, so that signals meant for the test reach it only
    // when sent on purpose.
    ::setpgid(0, 0);
    if (::chdir(workingDir.c_str()) != 0) {
      ::_exit(126);
    }
    const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int out = ::open("/dev/null", O_WRONLY);
    if (err >= 0) {
      ::dup2(err, 2);
    }
    if (out >= 0) {
      ::dup2(out, 1);
    }
    ::execvpe(args[0], args.data(), envp.data());
    ::_exit(127);
  }
}

Process::~Process() {
  if (!reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
}

void Process::Signal(int signal) const {
  if (!reaped_) {
    ::kill(pid_, signal);
  }
}

std::optional<int> Process::WaitForExit(std::chrono::milliseconds limit) {
  WaitFor(
      [this] {
        if (!reaped_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) {
          reaped_ = true;
        }
        return reaped_;
      },
      limit);
  if (!reaped_) {
    return std::nullopt;
  }
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

XSession::XSession(bool withWindowManager, int width, int height) {
  char runtime[] = "/tmp/finbowl-x-XXXXXX";
  if (!::mkdtemp(runtime)) {
    throw std::runtime_error("mkdtemp");
  }
  runtimeDir_ = runtime;
  // Xvfb picks a free display itself and writes its number to the file.
  const std::string displayFile = runtimeDir_ + "/display";
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  server_.emplace(std::vector<std::string>{"sh", "-c",
                                           "exec Xvfb -displayfd 3 -screen 0 " + screen +
                                               " -nolisten tcp 3>" + displayFile},
                  std::map<std::string, std::string>{}, runtimeDir_, runtimeDir_ + "/xvfb.log");
  std::string number;
  const bool started = WaitFor([&] {
    number = {};
    if (FILE* f = std::fopen(displayFile.c_str(), "r")) {
      char line[32] = {};
      if (std::fgets(line, sizeof line, f) && std::strchr(line, '\n')) {
        number = std::string(line, std::strcspn(line, "\n"));
      }
      std::fclose(f);
    }
    return !number.empty();
  });
  if (!started) {
    throw std::runtime_error("Xvfb did not start");
  }
  display_ = ":" + number;
  connection_ = xcb_connect(display_.c_str(), nullptr);
  if (xcb_connection_has_error(connection_)) {
    throw std::runtime_error("cannot connect to " + display_);
  }
  screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;

  if (withWindowManager) {
    windowManager_.emplace(std::vector<std::string>{"openbox"}, Environment(), runtimeDir_);
    // The window manager announces itself on the root window before it is
    // ready to take new windows, and a window mapped in between may be lost;
    // it is ready once it has framed a window of our own.
    const xcb_atom_t check = Atom(connection_, "_NET_SUPPORTING_WM_CHECK");
    if (!WaitFor([&] { return !Property(connection_, screen_->root, check).empty(); }) ||
        !WaitForFramedProbe()) {
      throw std::runtime_error("openbox did not start");
    }
  }
}

bool XSession::WaitForFramedProbe() {
  const xcb_window_t probe = xcb_generate_id(connection_);
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, probe, screen_->root, 0, 0, 8, 8, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
  auto isFramed = [&] {
    auto tree = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, probe), nullptr));
    return tree && tree->parent != screen_->root;
  };
  // A map request the window manager lost while starting is asked for again.
  bool framed = false;
  for (int attempt = 0; attempt < 40 && !framed; ++attempt) {
    xcb_unmap_window(connection_, probe);
    xcb_map_window(connection_, probe);
    xcb_flush(connection_);
    framed = WaitFor(isFramed, 500ms);
  }
  xcb_destroy_window(connection_, probe);
  xcb_flush(connection_);
  return framed;
}

XSession::~XSession() {
  if (connection_) {
    xcb_disconnect(connection_);
  }
  windowManager_.reset();
  server_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(runtimeDir_, ignored);
}

std::map<std::string, std::string> XSession::Environment() const {
  return {{"DISPLAY", display_}, {"XDG_RUNTIME_DIR", runtimeDir_}, {"QT_QPA_PLATFORM", "xcb"}};
}

QSize XSession::ScreenSize() const {
  return {screen_->width_in_pixels, screen_->height_in_pixels};
}

std::optional<xcb_window_t> XSession::FindWindow(const std::string& title) {
  const std::vector<xcb_window_t> all = FindWindows(title);
  if (all.empty()) {
    return std::nullopt;
  }
  return all.front();
}

std::vector<xcb_window_t> XSession::FindWindows(const std::string& title) {
  const xcb_atom_t netName = Atom(connection_, "_NET_WM_NAME");
  std::vector<xcb_window_t> found;
  std::vector<xcb_window_t> pending = {screen_->root};
  while (!pending.empty()) {
    const xcb_window_t window = pending.back();
    pending.pop_back();
    if (window != screen_->root && (Property(connection_, window, netName) == title ||
                                    Property(connection_, window, XCB_ATOM_WM_NAME) == title)) {
      auto attributes = Own(xcb_get_window_attributes_reply(
          connection_, xcb_get_window_attributes(connection_, window), nullptr));
      if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
        found.push_back(window);
      }
      // A client window holds no other client windows.
      continue;
    }
    auto tree =
        Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (tree) {
      const xcb_window_t* children = xcb_query_tree_children(tree.get());
      pending.insert(pending.end(), children,
                     children + xcb_query_tree_children_length(tree.get()));
    }
  }
  return found;
}

std::optional<QRect> XSession::FindPopup() {
  auto tree =
      Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, screen_->root), nullptr));
  if (!tree) {
    return std::nullopt;
  }
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    auto attributes = Own(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
    if (attributes && attributes->override_redirect &&
        attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
      const QRect rect = ClientGeometry(children[i]);
      // Qt keeps tiny helper windows; a popup has room for an item.
      if (rect.width() > 8 && rect.height() > 8) {
        return rect;
      }
    }
  }
  return std::nullopt;
}

QRect XSession::ClientGeometry(xcb_window_t window) {
  auto geometry =
      Own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
  auto origin = Own(xcb_translate_coordinates_reply(
      connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr));
  if (!geometry || !origin) {
    return {};
  }
  return {origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

bool XSession::IsViewable(xcb_window_t window) {
  auto attributes = Own(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

QMargins XSession::FrameExtents(xcb_window_t window) {
  const std::string value = Property(connection_, window, Atom(connection_, "_NET_FRAME_EXTENTS"));
  if (value.size() != 4 * sizeof(std::uint32_t)) {
    return {};
  }
  std::uint32_t e[4];
  std::memcpy(e, value.data(), sizeof e);
  return {static_cast<int>(e[0]), static_cast<int>(e[2]), static_cast<int>(e[1]),
          static_cast<int>(e[3])};
}

bool XSession::IsFramedAndCentred(xcb_window_t window, QRect* client) {
  *client = ClientGeometry(window);
  const QMargins extents = FrameExtents(window);
  const QRect frame = client->marginsAdded(extents);
  const QSize screen = ScreenSize();
  return !extents.isNull() && frame.topLeft() == QPoint((screen.width() - frame.width()) / 2,
                                                        (screen.height() - frame.height()) / 2);
}

QImage XSession::Grab(const QRect& rect) {
  auto reply = Own(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root,
                    static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
                    static_cast<std::uint16_t>(rect.width()),
                    static_cast<std::uint16_t>(rect.height()), ~0u),
      nullptr));
  if (!reply) {
    return {};
  }
  // 24-bit TrueColor servers hand out 32-bit pixels, 0x00RRGGBB.
  QImage image(xcb_get_image_data(reply.get()), rect.width(), rect.height(), rect.width() * 4,
               QImage::Format_RGB32);
  return image.copy();
}

void XSession::KillServer() {
  if (connection_) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
  }
  windowManager_.reset();
  server_->Signal(SIGTERM);
  server_->WaitForExit();
}

int XSession::RunTool(const std::vector<std::string>& argv) {
  Process tool(argv, Environment());
  return tool.WaitForExit().value_or(-1);
}

Finbowl::Finbowl(XSession& session, const std::string& dir, Launch how) {
  // On a session shared by several tests, the window of the program an
  // earlier test ended may still be there for a moment.
  WaitFor([&] { return !session.FindWindow("Finbowl"); });
  if (how.set) {
    WriteBytes(dir + "/SET", *how.set);
  }
  how.prefix.push_back(FinbowlExecutable());
  for (const auto& [key, value] : session.Environment()) {
    how.env.emplace(key, value);
  }
  process = std::make_unique<Process>(how.prefix, how.env, dir, dir + "/stderr.txt");
  WaitFor([&] {
    window = session.FindWindow("Finbowl");
    return window && session.IsFramedAndCentred(*window, &client);
  });
}

long Wakeups(pid_t pid) {
  // The main thread's, which runs the timers.
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
      return std::stol(line.substr(line.find(':') + 1));
    }
  }
  return -1;
}

std::string FinbowlExecutable() {
  // The program is built one directory above the tests.
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "finbowl")
      .string();
}

}  // namespace finbowl::testing

namespace finbowl::testing {

std::string FinbowlLines(const std::string& stderrFile) {
  std::ifstream in(stderrFile);
  std::string line, lines;
  while (std::getline(in, line)) {
    if (line.rfind("finbowl: ", 0) == 0) {
      lines += line + "\n";
    }
  }
  return lines;
}

}  // namespace finbowl::testing

namespace finbowl::testing {

std::string SanitizerReport(const std::string& stderrFile) {
  std::ifstream in(stderrFile);
  std::string line, lines;
  while (std::getline(in, line)) {
    // "==123==ERROR: LeakSanitizer: ...", "SUMMARY: AddressSanitizer: ...",
    // "file.cpp:12:3: runtime error: ...".
    if (line.find("Sanitizer") != std::string::npos ||
        line.find("runtime error:") != std::string::npos) {
      lines += line + "\n";
    }
  }
  return lines;
}

}  // namespace finbowl::testing
