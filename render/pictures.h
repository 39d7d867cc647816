#pragma once

#include <QIcon>
#include <QImage>
#include <array>

#include "sim/tank_area.h"

namespace finbowl {

// Sizes of the pictures, in pixels.
inline constexpr int kTankPictureWidth = 650;
inline constexpr int kTankPictureHeight = kTankHeight;
inline constexpr int kSheetWidth = 225;
inline constexpr int kSheetHeight = 150;
inline constexpr int kBubblePictureSize = 60;

// The pictures everything on screen is copied from, built into the program,
// with exact pure white and pure black. Each is kept as it is stored, a byte
// a pixel indexing the shared palette: a quarter of the memory of 32-bit
// pixels, which a surface makes of what it holds.
struct Pictures {
  QImage tank;                // 650 x 450; only the left 640 columns are ever shown
  std::array<QImage, 4> pat;  // sprite sheets, indexed by a fish's sheet
  QImage awa;                 // the bubble rings
};

// Decodes the built-in pictures. A picture that cannot be loaded is replaced
// by a blank one of its size, with a line on stderr, so the program still runs.
Pictures LoadPictures();

// The program's icon, built afresh from its files at each call. Build it once
// for the whole run and give it to the application, whose windows all show
// it: Qt caches an icon's pixmaps under the icon's own key, so each new icon
// that a window shows keeps pixmaps of its own in the cache.
QIcon ProgramIcon();

}  // namespace finbowl
