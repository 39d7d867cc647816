#pragma once

#include <QImage>

#include "render/tank.h"

namespace finbowl::testing {

// What the tests look at inside a tank: its buffers and sheets.
class TankPeer {
 public:
  static const Surface& Work(const Tank& tank) { return *tank.work_; }
  static const Surface& Back(const Tank& tank) { return *tank.back_; }
  static const Sheet& Pat(const Tank& tank, int i) {
    return tank.pat_[static_cast<std::size_t>(i)];
  }
};

// The pixels of a surface in memory or on the X server, as RGB32.
QImage ReadSurface(const Surface& surface);

}  // namespace finbowl::testing
