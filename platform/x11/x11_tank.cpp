#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <cmath>
#include <cstdlib>

#include "platform/x11/x11_platform.h"

namespace finbowl {
namespace {

// The visible tank: a native child window on the X server showing the
// frame, a pixmap, copied onto it part by part, or composed through Render
// and scaled with nearest neighbour. The server says when the window is fully
// covered.
struct X11Tank final : VisibleSurface, QAbstractNativeEventFilter {
  X11Tank(const X11Platform& platform, QWidget* parent, const Surface& frame,
          std::function<void()> complete)
      : VisibleSurface(parent, frame, std::move(complete)),
        x11(platform),
        source(static_cast<const X11Surface&>(frame)),
        scaledSource(platform.CreatePicture(source.pixmap)) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    QCoreApplication::instance()->installNativeEventFilter(this);
    static constexpr char kNearest[] = "nearest";
    xcb_render_set_picture_filter(x11.connection(), scaledSource, sizeof kNearest - 1, kNearest, 0,
                                  nullptr);
  }

  ~X11Tank() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    if (!xcb_connection_has_error(x11.connection())) {
      xcb_render_free_picture(x11.connection(), scaledSource);
      if (target != 0) {
        xcb_render_free_picture(x11.connection(), target);
      }
    }
  }

  QPaintEngine* paintEngine() const override { return nullptr; }

  void Present(std::span<const Rect> parts) override {
    // The id as it is, without winId()'s trip into the toolkit on every frame.
    const auto window =
        testAttribute(Qt::WA_WState_Created) ? static_cast<xcb_window_t>(internalWinId()) : 0;
    if (window == 0) {
      return;
    }
    xcb_connection_t* c = x11.connection();
    const qreal ratio = devicePixelRatioF();
    if (window != targetWindow) {
      if (target != 0) {
        xcb_render_free_picture(c, target);
      }
      target = x11.CreatePicture(targetWindow = window);
    }
    if (ratio != scaledBy) {
      const auto shrink = static_cast<xcb_render_fixed_t>(std::lround(65536 / ratio));
      xcb_render_set_picture_transform(c, scaledSource, {shrink, 0, 0, 0, shrink, 0, 0, 0, 65536});
      scaledBy = ratio;
    }
    // Scaled, every window pixel that a part touches, even in part, takes the
    // frame pixel under its centre.
    for (const Rect& part : parts) {
      const Rect p = part.Intersected(source.Bounds());
      const int left = static_cast<int>(std::floor(p.x * ratio));
      const int top = static_cast<int>(std::floor(p.y * ratio));
      if (ratio == 1.0) {  // the server's plain copy costs it less
        xcb_copy_area(c, source.pixmap, window, x11.Gc(RasterOp::SrcCopy), At(p.x), At(p.y),
                      At(p.x), At(p.y), Size(p.w), Size(p.h));
        continue;
      }
      xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, scaledSource, XCB_RENDER_PICTURE_NONE, target,
                           At(left), At(top), 0, 0, At(left), At(top),
                           Size(static_cast<int>(std::ceil((p.x + p.w) * ratio)) - left),
                           Size(static_cast<int>(std::ceil((p.y + p.h) * ratio)) - top));
    }
    xcb_flush(c);
  }

  // Whatever the server lost goes back whole: exposures are rare, and their
  // rectangles come in the toolkit's units, not the window's pixels.
  void paintEvent(QPaintEvent*) override {
    const Rect whole = CompleteFrame().Bounds();
    Present(std::span(&whole, 1));
  }

  // Asks the server to say when the window is fully covered, adding to what
  // the toolkit has asked for the same window: event masks are per client.
  bool event(QEvent* event) override {
    const bool handled = VisibleSurface::event(event);
    xcb_connection_t* c = x11.connection();
    const auto window = static_cast<xcb_window_t>(internalWinId());
    if ((event->type() == QEvent::Show || event->type() == QEvent::WinIdChange) && window != 0 &&
        window != watched) {
      if (auto* attributes =
              xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr)) {
        const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
        watched = window;
        std::free(attributes);
      }
    }
    return handled;
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    const auto* event = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (type == "xcb_generic_event_t" && (event->response_type & 0x7F) == XCB_VISIBILITY_NOTIFY &&
        watched != 0 && event->window == watched) {
      covered_ = event->state == XCB_VISIBILITY_FULLY_OBSCURED;
    }
    return false;
  }

  const X11Platform& x11;
  const X11Surface& source;
  // The frame's pixmap again, scaled to the window's pixels as a Render source.
  const xcb_render_picture_t scaledSource;
  xcb_window_t watched = 0;       // the window whose covering the server reports
  xcb_window_t targetWindow = 0;  // and the window `target` is a picture of
  xcb_render_picture_t target = 0;
  qreal scaledBy = 0;
};

}  // namespace

std::unique_ptr<VisibleSurface> X11Platform::CreateVisibleSurface(QWidget* parent,
                                                                  const Surface& frame,
                                                                  std::function<void()> complete) {
  return std::make_unique<X11Tank>(*this, parent, frame, std::move(complete));
}

}  // namespace finbowl
