#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <utility>

#include "platform/blit_rect.h"
#include "platform/change_log.h"
#include "platform/raster_op.h"

namespace finbowl {

class DrawingPlatform;
class Surface;

// Hears, once, that a surface is about to be written or to go away, while it
// still holds what it held: a surface that shows another one's pixels without
// a copy of its own then takes the copy.
class WriteWatch {
 public:
  virtual void BeforeWrite(const Surface& surface) = 0;

 protected:
  ~WriteWatch() = default;
};

// A picture surface's image: the device context BitBlt reads and writes, in
// pixels with (0, 0) at the top-left corner. A surface may hold a picture: it
// then shows that picture at its top-left corner, cut to the surface's size,
// whenever it is given a size.
class Surface {
 public:
  virtual ~Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Only done at start-up: the surface's pixels are built anew.
  void SetSize(int w, int h);
  // The pixels as 0xffRRGGBB; slow on a server-side surface, so only for tests
  // and screenshots, never while drawing.
  virtual QImage Read() const = 0;

  // The surface's picture is a sheet of sprites whose masks lie (maskDx, maskDy)
  // from their colours: a platform may prepare for pasting them.
  virtual void HoldsSprites(int /*maskDx*/, int /*maskDy*/) {}

  // The platform that made the surface: only surfaces of one platform can be
  // combined by BitBlt.
  const DrawingPlatform& Platform() const { return platform_; }
  // Where the surface has been written, and when.
  const ChangeLog& Changes() const { return changes_; }

  // `watch` hears of the next write only; one watch at a time. Watching changes
  // no pixel, so a surface only read from can be watched too.
  void Watch(WriteWatch* watch) const { watch_ = watch; }
  void Unwatch(const WriteWatch* watch) const {
    if (watch_ == watch) {
      watch_ = nullptr;
    }
  }

 protected:
  explicit Surface(const DrawingPlatform& platform);
  virtual void Rebuild(int w, int h) = 0;
  // Tells the watch, if there is one. A surface's destructor calls it first,
  // while the pixels are still there.
  void WillWrite() {
    if (WriteWatch* watch = std::exchange(watch_, nullptr)) {
      watch->BeforeWrite(*this);
    }
  }
  // Makes this surface the same as `src`, of the same size, by copying these
  // parts of it: the only ones in which the two can differ.
  virtual void Mirror(const Surface& src, const AreaSet& parts);
  // Carries out, as the two copies, a sprite paste whose colours `colour`
  // reads, already clipped, and whose mask, clipped alike, lies (maskDx,
  // maskDy) from them in `src`.
  virtual void BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy);

 private:
  friend void BitBlt(Surface&, int, int, int, int, const Surface&, int, int, RasterOp);
  friend void CopyWholeSurface(Surface&, const Surface&);
  friend void PasteSprite(Surface&, int, int, int, int, const Surface&, int, int, int, int);
  // Carries out a copy already clipped to both surfaces.
  virtual void Blit(const BlitRect& rect, const Surface& src, RasterOp op) = 0;

  const DrawingPlatform& platform_;
  const std::uint64_t id_;
  ChangeLog changes_;
  mutable WriteWatch* watch_ = nullptr;
  // The surface this one was last made a whole copy of, that surface's
  // generation at the time, and this one's right after the copy. Since then the
  // two differ only where either has been written.
  struct Mirror {
    std::uint64_t source = 0;
    std::uint64_t sourceGeneration = 0;
    std::uint64_t ownGeneration = 0;
  } mirror_;
};

// Combines the w x h rectangle at (sx, sy) of `src` with the one at (x, y) of
// `dst`, per pixel. The rectangle is clipped to both surfaces, so any arguments
// are safe; what lies outside either surface is left alone. Surfaces of two
// different platforms are never combined; the call then does nothing.
//
// A copy of a whole surface onto another of its size moves only the parts in
// which the two can differ: every frame copies the bare tank and then the
// finished frame whole, while the fish change a small part of it.
void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op);

// Pastes the w x h sprite at (sx, sy) of `src` into `dst` at (x, y) through
// its mask, which lies (maskDx, maskDy) from it in `src`: the SrcErase of the
// mask and then the SrcInvert of the colours, each clipped as BitBlt clips.
void PasteSprite(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                 int maskDx, int maskDy);

// The visible tank: a widget with a retained image that all drawing goes into,
// and a refresh that presents that image on screen at once and whole, so the
// screen only ever shows complete frames.
class VisibleSurface : public QWidget {
 public:
  virtual Surface& Image() = 0;
  virtual void Refresh() = 0;
  // The frame step is about to rebuild the buffer the tank was last copied
  // from, and copies and refreshes the tank before anything else runs: until
  // then the tank need not keep what it shows apart from that buffer.
  virtual void FrameBegins() {}

 protected:
  explicit VisibleSurface(QWidget* parent) : QWidget(parent) {}
};

// Makes the surfaces of one windowing layer. It must outlive every surface it
// made.
class DrawingPlatform {
 public:
  virtual ~DrawingPlatform() = default;
  virtual const char* Name() const = 0;
  // Whether presenting the visible tank paints through the toolkit, rather
  // than only sending the platform's own requests.
  virtual bool PresentsThroughToolkit() const = 0;
  // `picture` may be null for a surface that only serves as a buffer.
  virtual std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) = 0;
  // The widget belongs to `parent`, as Qt children do.
  virtual VisibleSurface* CreateVisibleSurface(QWidget* parent, int w, int h,
                                               const QImage* picture) = 0;
};

// The platform for the windowing layer the program runs on.
std::unique_ptr<DrawingPlatform> CreateDrawingPlatform();

}  // namespace finbowl
