#include "support/wayland_session.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/unprivileged.h"

namespace finbowl::testing {
namespace {

namespace fs = std::filesystem;

// The socket a compositor made in `runtime`, once it has.
std::string SocketIn(const std::string& runtime) {
  for (const auto& entry : fs::directory_iterator(runtime)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_socket() && name.rfind("wayland-", 0) == 0) {
      return name;
    }
  }
  return {};
}

// A nobody's command, as sway wants when the tests run as root.
std::vector<std::string> Unprivileged(std::vector<std::string> argv) {
  if (::geteuid() == 0) {
    argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  }
  return argv;
}

}  // namespace

WaylandSession::WaylandSession(Compositor compositor, int scale)
    : compositor_(compositor), runtime_(dir_.File("runtime")) {
  fs::create_directory(runtime_);
  ::chmod(runtime_.c_str(), 0700);
  const std::string log = dir_.File("compositor.log");
  if (compositor == Compositor::kWeston) {
    server_.emplace(
        std::vector<std::string>{"weston", "--backend=headless-backend.so",
                                 "--socket=wayland-finbowl", "--use-pixman", "--width=800",
                                 "--height=600", "--scale=" + std::to_string(scale), "--debug",
                                 "--config=" FINBOWL_TESTS_DIR "/support/weston.ini"},
        std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime_}}, dir_.File(""), log);
  } else {
    const std::string config = runtime_ + "/sway.conf";
    std::ofstream(config) << "xwayland disable\n"
                          << "default_border none\n"
                          << "output HEADLESS-1 resolution 800x600 position 0 0 scale " << scale
                          << "\noutput HEADLESS-2 resolution 1600x1200 position 800 0 scale 2\n"
                          // Whichever output sway sets up first.
                          << "workspace 1 output HEADLESS-1\nworkspace 2 output HEADLESS-2\n"
                          // Blurred where the compositor has to scale a buffer itself.
                          << "output * scale_filter linear\n";
    // Its user must reach its runtime directory through ours.
    ::chmod(dir_.path().c_str(), 0711);
    GiveToUnprivileged(runtime_);
    GiveToUnprivileged(config);
    server_.emplace(Unprivileged({"sway", "-c", config}),
                    std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime_},
                                                       {"WLR_BACKENDS", "headless"},
                                                       {"WLR_HEADLESS_OUTPUTS", "2"},
                                                       {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                                       {"WLR_RENDERER", "pixman"},
                                                       {"HOME", runtime_}},
                    runtime_, log);
  }
  if (!WaitFor([&] { return !(socket_ = SocketIn(runtime_)).empty(); }) ||
      server_->WaitForExit(0ms)) {
    throw std::runtime_error("the compositor did not start; see " + log);
  }
  // Up once it answers a screenshot.
  if (!WaitFor([&] { return !Screenshot().isNull(); })) {
    throw std::runtime_error("the compositor takes no screenshots");
  }
  // New windows open on the output in focus, which recent versions of sway
  // make the last one they set up.
  if (compositor_ == Compositor::kSway && !Sway("focus output HEADLESS-1")) {
    throw std::runtime_error("sway would not focus its first output");
  }
}

WaylandSession::~WaylandSession() = default;

std::map<std::string, std::string> WaylandSession::Environment() const {
  return {{"XDG_RUNTIME_DIR", runtime_}, {"WAYLAND_DISPLAY", socket_}};
}

QImage WaylandSession::Screenshot(const std::string& output) {
  const std::string shots = dir_.File("shots");
  fs::remove_all(shots);
  fs::create_directory(shots);
  std::vector<std::string> argv = {"weston-screenshooter"};
  if (compositor_ == Compositor::kSway) {
    argv = {"grim", "-t", "png", "-o", output.empty() ? "HEADLESS-1" : output, shots + "/shot.png"};
  }
  Process tool(argv, Environment(), shots);
  if (tool.WaitForExit() != 0) {
    return {};
  }
  for (const auto& entry : fs::directory_iterator(shots)) {
    return QImage(QString::fromStdString(entry.path().string()))
        .convertToFormat(QImage::Format_RGB32);
  }
  return {};
}

bool WaylandSession::Sway(const std::string& command) {
  std::string ipc;
  for (const auto& entry : fs::directory_iterator(runtime_)) {
    if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) {
      ipc = entry.path().string();
    }
  }
  Process swaymsg({"swaymsg", "-s", ipc, command}, Environment());
  return swaymsg.WaitForExit() == 0;
}

std::optional<QPoint> Find(const QImage& screen, const QImage& part) {
  const QImage s = screen.convertToFormat(QImage::Format_RGB32);
  const QImage p = part.convertToFormat(QImage::Format_RGB32);
  const auto same = [&](int x, int y, int px, int py) {
    return ((s.pixel(x + px, y + py) ^ p.pixel(px, py)) & 0xFFFFFFu) == 0;
  };
  for (int y = 0; y + p.height() <= s.height(); ++y) {
    for (int x = 0; x + p.width() <= s.width(); ++x) {
      bool match = true;
      for (int py = 0; py < p.height() && match; py += std::max(1, p.height() / 7)) {
        for (int px = 0; px < p.width() && match; px += std::max(1, p.width() / 7)) {
          match = same(x, y, px, py);
        }
      }
      for (int py = 0; py < p.height() && match; ++py) {
        for (int px = 0; px < p.width() && match; ++px) {
          match = same(x, y, px, py);
        }
      }
      if (match) {
        return QPoint(x, y);
      }
    }
  }
  return std::nullopt;
}

}  // namespace finbowl::testing
