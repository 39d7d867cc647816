#include "support/x_window_pixels.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace finbowl::testing {
namespace {

xcb_connection_t* QtConnection() {
  return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

}  // namespace

QImage ReadWindow(const QWidget& window, int w, int h) {
  // On the toolkit's own connection, whose requests the server takes in order.
  xcb_connection_t* c = QtConnection();
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::black);
  for (int top = 0; top < h; top += 64) {
    const int rows = std::min(64, h - top);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_drawable_t>(window.winId()), 0,
                      static_cast<std::int16_t>(top), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(rows), ~0u),
        nullptr);
    if (!reply) {
      return image;
    }
    for (int r = 0; r < rows; ++r) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(top + r));
      std::memcpy(line,
                  xcb_get_image_data(reply) + std::size_t{4} * static_cast<std::size_t>(w * r),
                  std::size_t{4} * static_cast<std::size_t>(w));
      for (int x = 0; x < w; ++x) {
        line[x] |= 0xFF000000u;
      }
    }
    std::free(reply);
  }
  return image;
}

Cover::Cover(int w, int h) : connection_(xcb_connect(qgetenv("DISPLAY").constData(), nullptr)) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  window_ = xcb_generate_id(connection_);
  const std::uint32_t overrideRedirect[] = {1};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0,
                    static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                    overrideRedirect);
  xcb_map_window(connection_, window_);
  xcb_flush(connection_);
}

Cover::~Cover() {
  xcb_destroy_window(connection_, window_);
  xcb_flush(connection_);
  xcb_disconnect(connection_);
}

void Blacken(const QWidget& window) {
  xcb_connection_t* c = QtConnection();
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const auto drawable = static_cast<xcb_drawable_t>(window.winId());
  xcb_create_gc(c, gc, drawable, 0, nullptr);
  const xcb_rectangle_t all = {0, 0, 0x7FFF, 0x7FFF};
  xcb_poly_fill_rectangle(c, drawable, gc, 1, &all);
  xcb_free_gc(c, gc);
  xcb_flush(c);
}

}  // namespace finbowl::testing
