#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <span>

#include "platform/raster_op.h"
#include "platform/rect.h"

namespace finbowl {

class SpriteSheet;

// A picture surface: pixels that BitBlt reads and writes, (0, 0) at the top left.
class Surface {
 public:
  virtual ~Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }

 protected:
  Surface(int w, int h) : width_(w), height_(h) {}
  const int width_, height_;

 private:
  friend void BitBlt(Surface&, int, int, int, int, const Surface&, int, int, RasterOp);
  friend void PasteSprite(Surface&, int, int, int, int, const SpriteSheet&, int, int);
  // Already clipped; every surface of a run comes from one platform.
  virtual void Blit(const Copy& copy, const Surface& src, RasterOp op) = 0;
  virtual void Paste(const Copy& copy, const SpriteSheet& sheet) = 0;
};

// Sprites in the upper half of a picture, their masks in the lower half: a
// mask is black where its sprite is and white elsewhere, and a sprite is
// white wherever its mask is. Never drawn on.
struct SpriteSheet {
  SpriteSheet(int w, int h) : width(w), height(h) {}
  virtual ~SpriteSheet() = default;
  const int width, height;
};

// Combines the w x h rectangle at (sx, sy) of `src` with the one at (x, y) of
// `dst`, another surface, per pixel; clipped to both, so any arguments are safe.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op);

// Pastes the w x h sprite at (sx, sy) of `sheet` into `dst` at (x, y) through
// its mask, half the sheet lower: per pixel the mask with SrcErase, then the
// sprite with SrcInvert; clipped to `dst` and to the sheet's upper half.
void PasteSprite(Surface& dst, int x, int y, int w, int h, const SpriteSheet& sheet, int sx,
                 int sy);

// The visible tank: a widget showing the frame its tank composes, scaled with
// nearest neighbour on screens of smaller device pixels. The screen shows
// only parts presented, at once, and whatever it loses it takes again from
// the frame.
class VisibleSurface : public QWidget {
 public:
  // Shows these parts of the frame, which has just been composed.
  virtual void Present(std::span<const Rect> parts) = 0;
  // Whether a frame drawn now would be seen: not while the window is
  // minimised, unmapped (another workspace) or fully covered, nor while a
  // compositor has not yet asked for the next frame.
  virtual bool CanBeSeen();

 protected:
  // `frame` holds a complete frame whenever Present is called; between two
  // frames it may be drawn on, and `complete` makes it one again (the last
  // one presented) before the screen takes back from it what it lost.
  VisibleSurface(QWidget* parent, const Surface& frame, std::function<void()> complete);
  // The frame, complete, for whatever the screen lost.
  const Surface& CompleteFrame();

  const Surface& frame_;
  bool covered_ = false;  // for a platform that learns it

 private:
  std::function<void()> complete_;
};

// Makes the surfaces of one windowing layer, and outlives them.
class DrawingPlatform {
 public:
  virtual ~DrawingPlatform() = default;
  // A w x h surface holding `picture` at its corner, or black.
  virtual std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture = nullptr) = 0;
  virtual std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) = 0;
  // The visible tank, a child widget of `parent` showing `frame`, a surface
  // of this platform (see VisibleSurface).
  virtual std::unique_ptr<VisibleSurface> CreateVisibleSurface(QWidget* parent,
                                                               const Surface& frame,
                                                               std::function<void()> complete) = 0;
};

// Surfaces in the program's memory, drawn by our own loops and shown by the
// toolkit: on every windowing system, and in the headless tests.
std::unique_ptr<DrawingPlatform> CreateMemoryPlatform();
// Surfaces on the X server, when the program runs on X11 and the server can take them.
std::unique_ptr<DrawingPlatform> CreateX11Platform();
// Surfaces in memory, and the visible tank on a Wayland surface of its own,
// when the program runs on Wayland.
std::unique_ptr<DrawingPlatform> CreateWaylandPlatform();
// The platform for the windowing system the program runs on.
std::unique_ptr<DrawingPlatform> CreateDrawingPlatform();

}  // namespace finbowl
