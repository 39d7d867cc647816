#include "platform/x11_visible_surface.h"

#include <QPaintEvent>

#include "platform/x11_surface.h"

namespace finbowl {
namespace {

// The visible tank's image. Each frame is copied onto it whole from the buffer
// it was composed in, and those copies go straight to the window: a pixmap of
// its own would cost the server one more copy of every changed part of every
// frame. The buffer then holds what the tank shows, so repaints and reads come
// from there; just before the buffer is written again, outside the frame step
// that presents it at once, the image takes a copy of its own (the retained
// pixmap) and goes back to being an ordinary surface until the next frame.
class X11TankImage final : public X11Drawable, private WriteWatch {
 public:
  X11TankImage(const X11Platform& platform, const QWidget& window, int w, int h,
               const QImage* picture)
      : X11Drawable(platform),
        x11_(platform),
        window_(window),
        retained_(platform, w, h, picture) {}
  ~X11TankImage() override { Forget(); }

  int Width() const override { return retained_.Width(); }
  int Height() const override { return retained_.Height(); }
  QImage Read() const override { return shown_ ? shown_->Read() : retained_.Read(); }
  xcb_drawable_t Source() const override { return shown_ ? shown_->Source() : retained_.Source(); }

  // The frame step rebuilds the buffer and copies it here before the server
  // can be asked to repaint: nothing needs keeping meanwhile.
  void FrameBegins() {
    if (shown_) {
      shown_->Unwatch(this);
    }
  }

  // Brings the window up to date with the image.
  void Present() {
    const xcb_window_t window = Window();
    if (!shown_ && window != 0) {
      AreaSet changed;
      const bool known = presented_ != 0 &&
                         retained_.Changes().ForEachSince(
                             presented_, [&changed](const Area& area) { changed.Add(area); }) &&
                         !changed.overflowed();
      if (known) {
        for (const Area& area : changed) {
          Copy(retained_.Source(), window, area);
        }
      } else {
        Copy(retained_.Source(), window, {0, 0, Width(), Height()});
      }
      presented_ = retained_.Changes().Generation();
    }
    xcb_flush(x11_.connection());
  }

  // What the server lost of the window, again.
  void Repaint(const Area& area) {
    if (const xcb_window_t window = Window()) {
      Copy(Source(), window, area);
      xcb_flush(x11_.connection());
    }
  }

 private:
  void Rebuild(int w, int h) override {
    Forget();
    retained_.SetSize(w, h);
    presented_ = 0;
  }

  void Blit(const BlitRect& r, const Surface& src, RasterOp op) override {
    Unmirror();
    BitBlt(retained_, r.x, r.y, r.w, r.h, src, r.sx, r.sy, op);
  }

  void Mirror(const Surface& src, const AreaSet& parts) override {
    const xcb_window_t window = Window();
    if (window == 0) {
      Forget();
      BitBlt(retained_, 0, 0, Width(), Height(), src, 0, 0, RasterOp::SrcCopy);
      return;
    }
    const auto& source = static_cast<const X11Drawable&>(src);
    // The parts are where the image differs from the source; the window shows
    // the image unless the retained pixmap has had writes it has not shown.
    const bool windowShowsImage =
        shown_ || (presented_ != 0 && presented_ == retained_.Changes().Generation());
    if (shown_ != &source) {
      Forget();
      shown_ = &source;
    }
    if (windowShowsImage) {
      for (const Area& area : parts) {
        Copy(source.Source(), window, area);
      }
    } else {
      Copy(source.Source(), window, {0, 0, Width(), Height()});
    }
    shown_->Watch(this);
  }

  void BeforeWrite(const Surface&) override { Unmirror(); }

  // The image keeps its own pixels again: the retained pixmap takes what the
  // buffer shows, and the window already shows it.
  void Unmirror() {
    if (!shown_) {
      return;
    }
    const X11Drawable* shown = std::exchange(shown_, nullptr);
    shown->Unwatch(this);
    BitBlt(retained_, 0, 0, Width(), Height(), *shown, 0, 0, RasterOp::SrcCopy);
    presented_ = retained_.Changes().Generation();
  }

  // Drops the buffer without taking its pixels, for when the image is about to
  // be overwritten whole. The retained pixmap's own record of what it holds
  // stays true, so later copies onto it remain exact.
  void Forget() {
    if (shown_) {
      std::exchange(shown_, nullptr)->Unwatch(this);
    }
  }

  xcb_window_t Window() const {
    // The id as it is, without winId()'s trip into the toolkit on every frame.
    return window_.testAttribute(Qt::WA_WState_Created)
               ? static_cast<xcb_window_t>(window_.internalWinId())
               : 0;
  }

  void Copy(xcb_drawable_t from, xcb_window_t window, const Area& area) {
    const BlitRect part = ClipBlit(Width(), Height(), area.x, area.y, area.w, area.h, Width(),
                                   Height(), area.x, area.y);
    if (part.empty()) {
      return;
    }
    xcb_copy_area(x11_.connection(), from, window, x11_.Gc(RasterOp::SrcCopy),
                  static_cast<std::int16_t>(part.sx), static_cast<std::int16_t>(part.sy),
                  static_cast<std::int16_t>(part.x), static_cast<std::int16_t>(part.y),
                  static_cast<std::uint16_t>(part.w), static_cast<std::uint16_t>(part.h));
  }

  const X11Platform& x11_;
  const QWidget& window_;
  X11Surface retained_;
  // The buffer whose pixels the image has, unchanged since, or none when the
  // retained pixmap has them.
  const X11Drawable* shown_ = nullptr;
  std::uint64_t presented_ = 0;  // the retained pixmap's generation the window shows
};

class X11VisibleSurface final : public VisibleSurface {
 public:
  X11VisibleSurface(const X11Platform& platform, QWidget* parent, int w, int h,
                    const QImage* picture)
      : VisibleSurface(parent), image_(platform, *this, w, h, picture) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(w, h);
  }

  Surface& Image() override { return image_; }
  void Refresh() override { image_.Present(); }
  void FrameBegins() override { image_.FrameBegins(); }
  QPaintEngine* paintEngine() const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QRect r = event->rect();
    image_.Repaint({r.x(), r.y(), r.width(), r.height()});
  }

 private:
  X11TankImage image_;
};

}  // namespace

VisibleSurface* CreateX11VisibleSurface(const X11Platform& platform, QWidget* parent, int w, int h,
                                        const QImage* picture) {
  return new X11VisibleSurface(platform, parent, w, h, picture);
}

}  // namespace finbowl
