#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <memory>

#include "platform/area.h"
#include "platform/blit_rect.h"
#include "platform/raster_op.h"

namespace finbowl {

class DrawingPlatform;

// A picture surface's image: the device context BitBlt reads and writes, in
// pixels with (0, 0) at the top-left corner. A surface may hold a picture: it
// then shows that picture at its top-left corner, cut to the surface's size,
// whenever it is given a size, and black where the picture does not reach.
class Surface {
 public:
  virtual ~Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Only done at start-up: the surface's pixels are built anew.
  virtual void SetSize(int w, int h) = 0;
  // The pixels as 0xffRRGGBB; slow on a server-side surface, so only for tests
  // and screenshots, never while drawing.
  virtual QImage Read() const = 0;

  // The platform that made the surface: only surfaces of one platform can be
  // combined by BitBlt.
  const DrawingPlatform& Platform() const { return platform_; }

 protected:
  explicit Surface(const DrawingPlatform& platform) : platform_(platform) {}

  // Carries out a copy already clipped to both surfaces.
  virtual void Blit(const BlitRect& rect, const Surface& src, RasterOp op) = 0;
  // Carries out a sprite paste whose colours `colour` reads, already clipped,
  // and whose mask, clipped alike, lies (maskDx, maskDy) from them in `src`:
  // the SrcErase of the mask and then the SrcInvert of the colours.
  virtual void BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy);

 private:
  friend void BitBlt(Surface&, int, int, int, int, const Surface&, int, int, RasterOp);
  friend void PasteSprite(Surface&, int, int, int, int, const Surface&, int, int, int, int);

  const DrawingPlatform& platform_;
};

// Combines the w x h rectangle at (sx, sy) of `src` with the one at (x, y) of
// `dst`, per pixel. The rectangle is clipped to both surfaces, so any arguments
// are safe; what lies outside either surface is left alone. Surfaces of two
// different platforms are never combined; the call then does nothing.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op);

// Pastes the w x h sprite at (sx, sy) of `src` into `dst` at (x, y) through
// its mask, which lies (maskDx, maskDy) from it in `src`: the SrcErase of the
// mask and then the SrcInvert of the colours, each clipped as BitBlt clips.
void PasteSprite(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                 int maskDx, int maskDy);

// The visible tank: a widget with a retained image that all drawing goes into,
// and a refresh that presents parts of that image on the screen at once, so
// the screen only ever shows complete frames. The image is painted over the
// whole widget, scaled with nearest neighbour on screens whose device pixels
// are smaller than the program's.
class VisibleSurface : public QWidget {
 public:
  virtual Surface& Image() = 0;
  // Presents `changed`, the parts of the image drawn since the last refresh;
  // nothing while the tank cannot be seen. Whatever else the screen lost
  // meanwhile (the tank was hidden, covered or never shown) is presented whole.
  void Refresh(const AreaSet& changed);

  // Whether anything of the tank may be seen: false while its window is
  // minimised or unmapped (another workspace), or the tank fully covered.
  // Nothing need be drawn for the tank then.
  bool CanBeSeen() const { return !minimised_ && !unexposed_ && !covered_; }
  // Runs as soon as the tank can be seen again: the place to bring the image
  // up to date with what was not drawn meanwhile. The whole image is then
  // presented.
  void SetCatchUp(std::function<void()> catchUp) { catchUp_ = std::move(catchUp); }

 protected:
  explicit VisibleSurface(QWidget* parent) : QWidget(parent) {}
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A platform that learns when the tank is fully covered says so here.
  void SetCovered(bool covered);
  // Presents the whole image, or these parts of it, now or at the next paint.
  virtual void RefreshWhole() = 0;
  virtual void RefreshParts(const AreaSet& changed) = 0;

 private:
  // The tank's window is in a new state; when that makes the tank seen again,
  // the image catches up and is presented whole.
  void SetState(bool minimised, bool unexposed, bool covered);

  std::function<void()> catchUp_;
  QPointer<QWindow> watchedWindow_;
  bool minimised_ = false;
  bool unexposed_ = false;
  bool covered_ = false;
};

// Makes the surfaces of one windowing layer. It must outlive every surface it
// made.
class DrawingPlatform {
 public:
  virtual ~DrawingPlatform() = default;
  virtual const char* Name() const = 0;
  // `picture` may be null for a surface that only serves as a buffer.
  virtual std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) = 0;
  // The widget belongs to `parent`, as Qt children do.
  virtual VisibleSurface* CreateVisibleSurface(QWidget* parent, int w, int h,
                                               const QImage* picture) = 0;
};

// The platform for the windowing layer the program runs on.
std::unique_ptr<DrawingPlatform> CreateDrawingPlatform();

}  // namespace finbowl
