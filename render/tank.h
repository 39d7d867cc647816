#pragma once

#include <array>
#include <memory>

#include "platform/surface.h"
#include "render/pictures.h"
#include "render/rect_set.h"
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

// The main window's picture surfaces and the frame they show. The surfaces
// are made once with the window and live as long as it does. Sprites are
// drawn into `work` only through DrawSprite, which notes where they lie:
// everywhere else work, back and the visible tank's image all hold the bare
// tank, so a frame wipes, copies and presents only the parts where sprites
// lie now or lay in the frame before.
class Tank {
 public:
  // Each surface that holds a picture has it already, at the picture's size;
  // the buffers are empty. The visible tank is a child widget of `parent`.
  Tank(DrawingPlatform& platform, const Pictures& pictures, QWidget* parent);
  // Also takes the visible tank from its parent widget, so that it never
  // outlives the platform that made its image.
  ~Tank();
  Tank(const Tank&) = delete;
  Tank& operator=(const Tank&) = delete;

  VisibleSurface& suisou() { return *suisou_; }
  const Surface& work() const { return *work_; }
  const Surface& back() const { return *back_; }
  const Sheet& pat(int i) const { return pat_[static_cast<std::size_t>(i)]; }
  const Sheet& awa() const { return awa_; }

  // Gives the visible tank and both buffers the tank's size, the visible tank
  // its place at the top-left of its parent, and keeps the bare tank in
  // `back`. The copy reads the visible tank's image, not the screen, so the
  // window need not be shown yet.
  void SetSize();

  // Pastes the w x h cell at (sx, 0) of `src` into work at (x, y) through its
  // mask, the cell under it in the sheet's mask row: the mask's black takes
  // the cell, its white keeps what work showed. Cells reaching past an edge
  // of work are clipped.
  void DrawSprite(const Sheet& src, int x, int y, int w, int h, int sx);
  // A fish from its sheet, at its place, in its current swimming frame.
  void DrawFish(const Fish& fish);
  // A bubble: the blue rings and then the green ones over them, at one place.
  void DrawBubble(const Bubble& bubble);

  // Composes `frame` in work from the bare tank, copies it onto the visible
  // tank's image and presents it. While the tank cannot be seen nothing is
  // drawn: the screen keeps the image of the last frame drawn, and the next
  // frame drawn starts from it.
  void ShowFrame(const Frame& frame);

 private:
  VisibleSurface* suisou_;
  std::unique_ptr<Surface> work_;
  std::unique_ptr<Surface> back_;
  std::array<Sheet, 4> pat_;
  Sheet awa_;
  // Where work, and the visible tank's image, can differ from the bare tank.
  // drawnInWork_ covers every sprite drawn into work since it was last wiped;
  // drawnInImage_, those of the frame the image holds. Both start as
  // everything.
  RectSet drawnInWork_;
  RectSet drawnInImage_;
};

}  // namespace finbowl
