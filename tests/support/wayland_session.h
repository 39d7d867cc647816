#pragma once

#include <QImage>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/x_session.h"

namespace finbowl::testing {

// A headless Wayland compositor of its own, for drawing tests: weston (with
// its screenshooter open to every client) or sway (as an unprivileged user,
// which it insists on, with screenshots by grim). sway gets a second output
// at twice the scale, to the right of the first.
class WaylandSession {
 public:
  enum class Compositor { kWeston, kSway };
  // Throws when the compositor is not installed or does not start.
  WaylandSession(Compositor compositor, int scale);
  ~WaylandSession();
  WaylandSession(const WaylandSession&) = delete;
  WaylandSession& operator=(const WaylandSession&) = delete;

  Compositor compositor() const { return compositor_; }
  // The environment a client of this compositor needs.
  std::map<std::string, std::string> Environment() const;
  // What the first output shows, or `output` under sway, in its own pixels.
  QImage Screenshot(const std::string& output = {});
  // Runs a sway command (swaymsg); whether it succeeded.
  bool Sway(const std::string& command);

 private:
  Compositor compositor_;
  TempDir dir_;
  std::string runtime_, socket_;
  std::optional<Process> server_;
};

// Where `part` lies in `screen`, matching it pixel for pixel, if it does.
std::optional<QPoint> Find(const QImage& screen, const QImage& part);

}  // namespace finbowl::testing
