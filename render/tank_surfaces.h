#pragma once

#include <array>
#include <memory>

#include "platform/surface.h"

namespace finbowl {

// The main window's picture surfaces. They are made once with the window and
// live as long as it does.
struct TankSurfaces {
  VisibleSurface* suisou = nullptr;             // the visible tank, a child widget of the window
  std::unique_ptr<Surface> work;                // where each frame is composed
  std::unique_ptr<Surface> back;                // the bare tank each frame starts from
  std::array<std::unique_ptr<Surface>, 4> pat;  // sprite sheets, by a fish's sheet
  std::unique_ptr<Surface> awa;                 // bubble rings
};

// The tank area and its full-frame copies.
inline constexpr int kTankWidth = 640;
inline constexpr int kTankHeight = 450;

}  // namespace finbowl
