#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <span>

#include "platform/raster_op.h"
#include "platform/rect.h"

class QWindow;

namespace finbowl {

class SpriteSheet;

// A picture surface: an image that BitBlt reads and writes, in pixels with
// (0, 0) at its top-left corner.
class Surface {
 public:
  virtual ~Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  // Keeps what the surface holds at its top-left corner, cut to the new size,
  // with black where it did not reach. Only done at start-up.
  virtual void SetSize(int w, int h) = 0;
  // The pixels as 0xffRRGGBB. Slow where the pixels live on a display
  // server: for tests and screenshots, never while drawing.
  virtual QImage Read() const = 0;

 protected:
  Surface(int w, int h) : width_(w), height_(h) {}
  void Resized(int w, int h) {
    width_ = w;
    height_ = h;
  }

 private:
  friend void BitBlt(Surface&, int, int, int, int, const Surface&, int, int, RasterOp);
  friend void PasteSprite(Surface&, int, int, int, int, const SpriteSheet&, int, int, int);

  // A copy already clipped to both surfaces; `src` was made by the same
  // platform, as every surface of a run is.
  virtual void Blit(const Copy& copy, const Surface& src, RasterOp op) = 0;
  // A sprite paste already clipped: the mask lies maskDy rows below the colours.
  virtual void Paste(const Copy& copy, const SpriteSheet& sheet, int maskDy) = 0;

  int width_, height_;
};

// Pictures of sprites over their masks: black in a mask where its sprite is
// and white elsewhere, and the sprite white wherever its mask is white. Made
// once from a picture that is such a sheet, and never drawn on.
class SpriteSheet {
 public:
  virtual ~SpriteSheet() = default;
  SpriteSheet(const SpriteSheet&) = delete;
  SpriteSheet& operator=(const SpriteSheet&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  virtual QImage Read() const = 0;

 protected:
  SpriteSheet(int w, int h) : width_(w), height_(h) {}

 private:
  int width_, height_;
};

// Combines the w x h rectangle at (sx, sy) of `src` with the one at (x, y) of
// `dst`, per pixel; `dst` and `src` are two surfaces. Clipped to both, so any
// arguments are safe; what lies outside either is left alone.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op);

// Pastes the w x h sprite at (sx, sy) of `sheet` into `dst` at (x, y) through
// its mask, maskDy rows below it: the mask's black takes the sprite, its white
// keeps `dst`. Per pixel that is the mask copied with SrcErase and then the
// sprite with SrcInvert. Pixels whose sprite or mask lies outside the sheet,
// or that fall outside `dst`, are left alone.
void PasteSprite(Surface& dst, int x, int y, int w, int h, const SpriteSheet& sheet, int sx, int sy,
                 int maskDy);

// The visible tank: a widget showing its retained image, which all drawing
// goes into. Presenting shows parts of the image on the screen at once, so
// the screen only ever shows what was presented. The image is shown over the
// whole widget, scaled with nearest neighbour on screens whose device pixels
// are smaller than the program's. Whatever the screen loses (the window was
// covered, minimised or not yet shown) it takes again from the image.
class VisibleSurface : public QWidget {
 public:
  virtual Surface& Image() = 0;
  virtual void Present(std::span<const Rect> parts) = 0;

  // Whether anything of the tank can be seen: not while its window is
  // minimised or unmapped (another workspace), or the tank is fully covered.
  // Only reported: what to do about it is the drawing's business.
  bool CanBeSeen() const { return !minimised_ && !unexposed_ && !covered_; }

 protected:
  explicit VisibleSurface(QWidget* parent) : QWidget(parent) {}
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // For a platform that learns when the tank is fully covered.
  void SetCovered(bool covered) { covered_ = covered; }

 private:
  QPointer<QWindow> watched_;
  bool minimised_ = false;
  bool unexposed_ = false;
  bool covered_ = false;
};

// Makes the surfaces of one windowing layer. It outlives every surface it made.
class DrawingPlatform {
 public:
  virtual ~DrawingPlatform() = default;
  // A w x h surface holding `picture` at its corner, or black.
  virtual std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture = nullptr) = 0;
  virtual std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) = 0;
  // The visible tank, a child widget of `parent`, its image holding `picture`.
  virtual VisibleSurface* CreateVisibleSurface(QWidget* parent, const QImage& picture) = 0;
};

// Surfaces as images in the program's memory, drawn by our own loops and shown
// by the toolkit: on every windowing system, and in the headless tests.
std::unique_ptr<DrawingPlatform> CreateMemoryPlatform();
// Surfaces as pixmaps on the X server; nothing unless the program runs on X11
// and the server can take them.
std::unique_ptr<DrawingPlatform> CreateX11Platform();
// The platform for the windowing system the program runs on.
std::unique_ptr<DrawingPlatform> CreateDrawingPlatform();

}  // namespace finbowl
