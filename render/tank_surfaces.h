#pragma once

#include <array>
#include <memory>

#include "platform/surface.h"
#include "sim/fish_table.h"

namespace finbowl {

// The tank area and its full-frame copies.
inline constexpr int kTankWidth = 640;
inline constexpr int kTankHeight = 450;

// What one frame shows of a live fish: the fish, and its bubble when it rose
// in that frame.
struct ShownFish {
  Fish fish;
  bool bubbleShown = false;
  Bubble bubble;
};

// The main window's picture surfaces, with what the frame drawn in them shows.
// They are made once with the window and live as long as it does.
struct TankSurfaces {
  // Each surface that holds a picture has it already, at the picture's size;
  // the buffers are still empty.
  TankSurfaces(DrawingPlatform& platform, QWidget* parent);
  // Also takes the visible tank away from its parent widget, so that it never
  // outlives the platform that made its surface.
  ~TankSurfaces();
  TankSurfaces(const TankSurfaces&) = delete;
  TankSurfaces& operator=(const TankSurfaces&) = delete;

  VisibleSurface* suisou = nullptr;             // the visible tank, a child widget of the window
  std::unique_ptr<Surface> work;                // where each frame is composed
  std::unique_ptr<Surface> back;                // the bare tank each frame starts from
  std::array<std::unique_ptr<Surface>, 4> pat;  // sprite sheets, by a fish's sheet
  std::unique_ptr<Surface> awa;                 // bubble rings

  // Where `work`, and the image of `suisou`, can differ from the bare tank:
  // only where sprites were drawn. `drawnInWork` gathers every sprite drawn
  // into work since it was last wiped; `drawnInImage`, those of the frame the
  // visible tank holds. Both start as everything.
  AreaSet drawnInWork;
  AreaSet drawnInImage;

  // The latest frame, lower indexes first, and whether it has been drawn: a
  // frame is not drawn while the tank cannot be seen.
  std::array<ShownFish, kFishSlots> latest{};
  int latestCount = 0;
  bool latestDrawn = true;
};

// Gives the visible tank and both buffers the tank's size, the tank its place
// at the top-left of its parent, and keeps the bare tank in `back`. The copy
// reads the visible tank's retained image, not the screen, so the window need
// not be shown yet.
void SizeTankSurfaces(TankSurfaces& surfaces);

}  // namespace finbowl
