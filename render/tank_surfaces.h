#pragma once

#include <array>
#include <memory>

#include "platform/surface.h"

namespace finbowl {

// The tank area and its full-frame copies.
inline constexpr int kTankWidth = 640;
inline constexpr int kTankHeight = 450;

// The main window's picture surfaces. They are made once with the window and
// live as long as it does.
struct TankSurfaces {
  TankSurfaces() = default;
  TankSurfaces(TankSurfaces&& other) noexcept { *this = std::move(other); }
  TankSurfaces& operator=(TankSurfaces&& other) noexcept;
  // Also takes the visible tank away from its parent widget, so that it never
  // outlives the platform that made its surface.
  ~TankSurfaces() { delete suisou; }

  VisibleSurface* suisou = nullptr;             // the visible tank, a child widget of the window
  std::unique_ptr<Surface> work;                // where each frame is composed
  std::unique_ptr<Surface> back;                // the bare tank each frame starts from
  std::array<std::unique_ptr<Surface>, 4> pat;  // sprite sheets, by a fish's sheet
  std::unique_ptr<Surface> awa;                 // bubble rings
};

// The surfaces as the window makes them: each one that holds a picture has it
// already, at the picture's size; the buffers are still empty.
TankSurfaces CreateTankSurfaces(DrawingPlatform& platform, QWidget* parent);

// Gives the visible tank and both buffers the tank's size, the tank its place
// at the top-left of its parent, and keeps the bare tank in `back`. The copy
// reads the visible tank's retained image, not the screen, so the window need
// not be shown yet.
void SizeTankSurfaces(TankSurfaces& surfaces);

}  // namespace finbowl
