#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPaintEvent>
#include <cmath>
#include <cstdlib>

#include "platform/x11/x11_platform.h"

namespace finbowl {
namespace {

// The visible tank: a native child window on the X server that shows its
// retained image, a pixmap. Presenting copies parts of the pixmap onto the
// window, scaled on the server with nearest neighbour where the screen's
// device pixels are smaller than the program's. The server says when the
// window is fully covered.
class X11Tank final : public VisibleSurface, private QAbstractNativeEventFilter {
 public:
  X11Tank(const X11Platform& platform, QWidget* parent, const QImage& picture)
      : VisibleSurface(parent),
        x11_(platform),
        image_(platform, picture.width(), picture.height(), &picture) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(picture.size());
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  ~X11Tank() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    if (target_ != 0 && !xcb_connection_has_error(x11_.connection())) {
      xcb_render_free_picture(x11_.connection(), target_);
    }
  }

  Surface& Image() override { return image_; }
  QPaintEngine* paintEngine() const override { return nullptr; }

  void Present(std::span<const Rect> parts) override {
    for (const Rect& part : parts) {
      PresentPart(part);
    }
    xcb_flush(x11_.connection());
  }

 protected:
  // Whatever the server lost goes back whole: exposures are rare, and their
  // rectangles come in the toolkit's units, not the window's pixels.
  void paintEvent(QPaintEvent*) override {
    PresentPart(image_.Bounds());
    xcb_flush(x11_.connection());
  }

  bool event(QEvent* event) override {
    const bool handled = VisibleSurface::event(event);
    if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange) {
      WatchCovering();
    }
    return handled;
  }

 private:
  xcb_window_t Window() const {
    // The id as it is, without winId()'s trip into the toolkit on every frame.
    return testAttribute(Qt::WA_WState_Created) ? static_cast<xcb_window_t>(internalWinId()) : 0;
  }

  // Asks the server to say when the window is fully covered, adding to what
  // the toolkit has asked for the same window.
  void WatchCovering() {
    const xcb_window_t window = Window();
    if (window == 0 || window == watched_) {
      return;
    }
    xcb_connection_t* c = x11_.connection();
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!attributes) {
      return;
    }
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    watched_ = window;
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") {
      return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) == XCB_VISIBILITY_NOTIFY) {
      const auto* visibility = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
      if (visibility->window == watched_ && watched_ != 0) {
        SetCovered(visibility->state == XCB_VISIBILITY_FULLY_OBSCURED);
      }
    }
    return false;
  }

  void PresentPart(const Rect& area) {
    const xcb_window_t window = Window();
    const Rect part = area.Intersected(image_.Bounds());
    if (window == 0 || part.empty()) {
      return;
    }
    xcb_connection_t* c = x11_.connection();
    const qreal ratio = devicePixelRatioF();
    if (ratio == 1.0) {
      xcb_copy_area(c, image_.Pixmap(), window, x11_.Gc(RasterOp::SrcCopy),
                    static_cast<std::int16_t>(part.x), static_cast<std::int16_t>(part.y),
                    static_cast<std::int16_t>(part.x), static_cast<std::int16_t>(part.y),
                    static_cast<std::uint16_t>(part.w), static_cast<std::uint16_t>(part.h));
      return;
    }
    // Every window pixel the part touches, even in part, takes the image
    // pixel under its centre.
    PrepareScaling(window, ratio);
    const auto left = static_cast<std::int16_t>(std::floor(part.x * ratio));
    const auto top = static_cast<std::int16_t>(std::floor(part.y * ratio));
    const auto right = static_cast<std::int16_t>(std::ceil((part.x + part.w) * ratio));
    const auto bottom = static_cast<std::int16_t>(std::ceil((part.y + part.h) * ratio));
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, image_.Picture(), XCB_RENDER_PICTURE_NONE,
                         target_, left, top, 0, 0, left, top,
                         static_cast<std::uint16_t>(right - left),
                         static_cast<std::uint16_t>(bottom - top));
  }

  // The window as a Render picture, made again with the window, and the
  // image's picture scaled by `ratio` with nearest neighbour. Nothing else
  // reads the image through Render.
  void PrepareScaling(xcb_window_t window, qreal ratio) {
    xcb_connection_t* c = x11_.connection();
    if (window != targetWindow_) {
      if (target_ != 0) {
        xcb_render_free_picture(c, target_);
      }
      target_ = xcb_generate_id(c);
      xcb_render_create_picture(c, target_, window, x11_.PictFormat(), 0, nullptr);
      targetWindow_ = window;
    }
    if (image_.Picture() != scaled_ || ratio != scaledBy_) {
      const auto fixed = [](double v) {
        return static_cast<xcb_render_fixed_t>(std::lround(v * 65536));
      };
      const xcb_render_transform_t transform = {
          fixed(1 / ratio), 0, 0, 0, fixed(1 / ratio), 0, 0, 0, fixed(1)};
      xcb_render_set_picture_transform(c, image_.Picture(), transform);
      static constexpr char kNearest[] = "nearest";
      xcb_render_set_picture_filter(c, image_.Picture(), sizeof kNearest - 1, kNearest, 0, nullptr);
      scaled_ = image_.Picture();
      scaledBy_ = ratio;
    }
  }

  const X11Platform& x11_;
  X11Surface image_;
  xcb_window_t watched_ = 0;  // the window whose covering the server reports
  xcb_window_t targetWindow_ = 0;
  xcb_render_picture_t target_ = 0;  // the window's picture
  xcb_render_picture_t scaled_ = 0;  // the image's picture, as last scaled
  qreal scaledBy_ = 0;
};

}  // namespace

VisibleSurface* CreateX11Tank(const X11Platform& platform, QWidget* parent, const QImage& picture) {
  return new X11Tank(platform, parent, picture);
}

}  // namespace finbowl
