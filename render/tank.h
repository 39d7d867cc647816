#pragma once

#include <array>
#include <memory>

#include "platform/rect_set.h"
#include "platform/surface.h"
#include "render/pictures.h"
#include "sim/aquarium.h"
#include "sim/fish_table.h"
#include "sim/tank_area.h"

namespace finbowl {

// A sprite sheet as the tank draws from it: square cells in a colour row over
// a mask row, and for each cell the part of it that pasting can change (where
// its mask is black or its colour is not white). Outside that part the mask's
// white keeps what is there and the colour's white puts it back, so a paste
// may leave it out and still give every pixel of the cell.
struct Sheet {
  std::unique_ptr<SpriteSheet> surface;
  int cell = 0;
  std::array<Rect, 3> painted{};  // by column, relative to the cell's corner

  // The part of the w x h rectangle at (sx, 0) that pasting can change: the
  // painted part when it is one of the cells, else all of it.
  Rect Painted(int sx, int w, int h) const;
};

namespace testing {
class TankPeer;
}

// The main window's picture surfaces and the frame they show, made once at
// the tank's size with the window and living as long as it does. Sprites are
// drawn into `work` only through DrawSprite, which notes where they lie:
// everywhere else work and back hold the bare tank, so a frame wipes and
// presents only the parts where sprites lie now or lay in the frame before.
// The visible tank shows work itself, which holds the last frame presented
// but while stocking draws into it between frames.
class Tank {
 public:
  // `back` and `work` hold the bare tank, which the visible tank, a child
  // widget of `parent` at its top-left corner, shows until the first frame.
  Tank(DrawingPlatform& platform, const Pictures& pictures, QWidget* parent);
  Tank(const Tank&) = delete;
  Tank& operator=(const Tank&) = delete;

  VisibleSurface& suisou() { return *suisou_; }

  // Pastes the w x h cell at (sx, 0) of `src` into work at (x, y) through its
  // mask, the cell under it in the sheet's mask row: the mask's black takes
  // the cell, its white keeps what work showed. Cells reaching past an edge
  // of work are clipped.
  void DrawSprite(const Sheet& src, int x, int y, int w, int h, int sx);
  // A fish from its sheet, at its place, in its current swimming frame.
  void DrawFish(const Fish& fish);
  // A bubble: the blue rings and then the green ones over them, at one place.
  void DrawBubble(const Bubble& bubble);

  // Composes `frame` in work from the bare tank and presents it. While the
  // tank cannot be seen nothing is drawn: the screen keeps the last frame
  // drawn, and the next frame drawn starts from it.
  void ShowFrame(const Frame& frame);

 private:
  friend class testing::TankPeer;

  // Draws the frame's sprites into work, wiped where sprites lay.
  void Compose(const Frame& frame);
  // Work as the screen last took it, when stocking has drawn into it since.
  void CompleteWork();

  std::unique_ptr<Surface> work_;
  std::unique_ptr<Surface> back_;
  std::array<Sheet, 4> pat_;
  Sheet awa_;
  // Last, so that it goes first: it shows work. It leaves its parent widget
  // as it goes.
  std::unique_ptr<VisibleSurface> suisou_;
  // drawnInWork_ covers every sprite drawn into work since it was last
  // wiped; drawnInShown_, those of the frame last presented.
  RectSet drawnInWork_;
  RectSet drawnInShown_;
  Frame shown_;              // the frame last presented
  bool workIsShown_ = true;  // whether work holds it, and nothing more
};

}  // namespace finbowl
