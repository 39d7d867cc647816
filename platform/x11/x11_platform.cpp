#include "platform/x11/x11_platform.h"

#include <QtGui/qguiapplication_platform.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "platform/x11/x11_drawing.h"
#include "platform/x11/x11_surface.h"

namespace finbowl {
namespace {

// Whether pixels of the root depth are 32-bit words holding 0x00RRGGBB in the
// byte order of this machine, so that QImage's RGB32 rows can go up as they are.
bool ScreenTakesRgb32(const xcb_setup_t& setup, const xcb_screen_t& screen) {
  if (screen.root_depth != 24 || setup.image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
    return false;
  }
  bool thirtyTwoBits = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(&setup); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == 24) {
      thirtyTwoBits = f.data->bits_per_pixel == 32;
    }
  }
  for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem; xcb_depth_next(&d)) {
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == screen.root_visual) {
        return thirtyTwoBits && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
               v.data->red_mask == 0xFF0000u && v.data->green_mask == 0xFF00u &&
               v.data->blue_mask == 0xFFu;
      }
    }
  }
  return false;
}

// The Render formats of the root visual and of 8-bit alpha masks; both 0 when
// the server has no Render.
std::array<xcb_render_pictformat_t, 2> RenderFormats(xcb_connection_t* c,
                                                     const xcb_screen_t& screen) {
  std::array<xcb_render_pictformat_t, 2> found{};
  const xcb_query_extension_reply_t* render = xcb_get_extension_data(c, &xcb_render_id);
  if (!render || !render->present) {
    return found;
  }
  xcb_render_query_pict_formats_reply_t* formats =
      xcb_render_query_pict_formats_reply(c, xcb_render_query_pict_formats(c), nullptr);
  if (!formats) {
    return found;
  }
  for (auto s = xcb_render_query_pict_formats_screens_iterator(formats); s.rem;
       xcb_render_pictscreen_next(&s)) {
    for (auto d = xcb_render_pictscreen_depths_iterator(s.data); d.rem;
         xcb_render_pictdepth_next(&d)) {
      for (auto v = xcb_render_pictdepth_visuals_iterator(d.data); v.rem;
           xcb_render_pictvisual_next(&v)) {
        if (v.data->visual == screen.root_visual) {
          found[0] = v.data->format;
        }
      }
    }
  }
  for (auto f = xcb_render_query_pict_formats_formats_iterator(formats); f.rem;
       xcb_render_pictforminfo_next(&f)) {
    const xcb_render_pictforminfo_t& info = *f.data;
    if (info.type == XCB_RENDER_PICT_TYPE_DIRECT && info.depth == 8 &&
        info.direct.alpha_mask == 0xFF && info.direct.red_mask == 0 &&
        info.direct.green_mask == 0 && info.direct.blue_mask == 0) {
      found[1] = info.id;
    }
  }
  std::free(formats);
  if (found[0] == 0 || found[1] == 0) {
    found = {};
  }
  return found;
}

}  // namespace

std::unique_ptr<X11Platform> X11Platform::Create() {
  auto* native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = native ? native->connection() : nullptr;
  if (!connection || xcb_connection_has_error(connection)) {
    return nullptr;
  }
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  if (!screen || !ScreenTakesRgb32(*setup, *screen)) {
    return nullptr;
  }
  const auto formats = RenderFormats(connection, *screen);
  if (formats[0] == 0) {
    return nullptr;
  }
  return std::unique_ptr<X11Platform>(new X11Platform(connection, *screen, formats[0], formats[1]));
}

X11Platform::X11Platform(xcb_connection_t* connection, const xcb_screen_t& screen,
                         xcb_render_pictformat_t format, xcb_render_pictformat_t alphaFormat)
    : connection_(connection),
      root_(screen.root),
      depth_(screen.root_depth),
      pictFormat_(format),
      alphaFormat_(alphaFormat) {
  // Exposure events for every copy would be traffic nobody reads.
  const std::uint32_t functions[] = {XCB_GX_COPY, XCB_GX_AND_REVERSE, XCB_GX_XOR};
  for (std::size_t i = 0; i < gcs_.size(); ++i) {
    gcs_[i] = xcb_generate_id(connection_);
    const std::uint32_t values[] = {functions[i], 0};
    xcb_create_gc(connection_, gcs_[i], root_, XCB_GC_FUNCTION | XCB_GC_GRAPHICS_EXPOSURES, values);
  }
}

X11Platform::~X11Platform() {
  if (xcb_connection_has_error(connection_)) {
    return;
  }
  for (const xcb_gcontext_t gc : gcs_) {
    xcb_free_gc(connection_, gc);
  }
  xcb_flush(connection_);
}

int X11Platform::RowsPerRequest(std::size_t rowBytes) const {
  constexpr std::size_t kHeader = 32;
  const std::size_t maxBytes = std::size_t{xcb_get_maximum_request_length(connection_)} * 4;
  return std::max(1, static_cast<int>((maxBytes - kHeader) / std::max<std::size_t>(rowBytes, 1)));
}

xcb_gcontext_t X11Platform::Gc(RasterOp op) const {
  switch (op) {
    case RasterOp::SrcCopy:
      return gcs_[0];
    case RasterOp::SrcErase:
      return gcs_[1];
    case RasterOp::SrcInvert:
      return gcs_[2];
  }
  return gcs_[0];
}

std::unique_ptr<Surface> X11Platform::CreateSurface(int w, int h, const QImage* picture) {
  return std::make_unique<X11Surface>(*this, w, h, picture);
}

VisibleSurface* X11Platform::CreateVisibleSurface(QWidget* parent, int w, int h,
                                                  const QImage* picture) {
  return CreateX11Tank(*this, parent, w, h, picture);
}

QImage ReadDrawable(const X11Platform& platform, xcb_drawable_t drawable, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  if (image.isNull()) {
    return image;
  }
  xcb_connection_t* c = platform.connection();
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  const int band = platform.RowsPerRequest(rowBytes);
  for (int top = 0; top < h; top += band) {
    const int count = std::min(band, h - top);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, 0, static_cast<std::int16_t>(top),
                      static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(count), ~0u),
        nullptr);
    if (!reply) {
      image.fill(Qt::black);
      return image;
    }
    const std::uint8_t* data = xcb_get_image_data(reply);
    for (int r = 0; r < count; ++r) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(top + r));
      std::memcpy(line, data + rowBytes * static_cast<std::size_t>(r), rowBytes);
      // The pad byte of a 24-bit pixel means nothing; the colours are opaque.
      for (int x = 0; x < w; ++x) {
        line[x] |= 0xFF000000u;
      }
    }
    std::free(reply);
  }
  return image;
}

std::unique_ptr<DrawingPlatform> CreateX11DrawingPlatform() {
  return X11Platform::Create();
}

}  // namespace finbowl
