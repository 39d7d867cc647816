#include "platform/x11/x11_platform.h"

#include <QtGui/qguiapplication_platform.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace finbowl {
namespace {

// Whether pixels of the root depth are 32-bit words holding 0x00RRGGBB in the
// byte order of this machine, and 8-bit alpha rows are padded to 32 bits as
// QImage pads them, so that images go up and come back as they are.
bool ScreenTakesOurImages(const xcb_setup_t& setup, const xcb_screen_t& screen) {
  if (screen.root_depth != 24 || setup.image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
    return false;
  }
  int formatsFound = 0;
  for (auto f = xcb_setup_pixmap_formats_iterator(&setup); f.rem; xcb_format_next(&f)) {
    formatsFound +=
        (f.data->depth == 24 && f.data->bits_per_pixel == 32) ||
        (f.data->depth == 8 && f.data->bits_per_pixel == 8 && f.data->scanline_pad == 32);
  }
  for (auto d = xcb_screen_allowed_depths_iterator(&screen); d.rem; xcb_depth_next(&d)) {
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == screen.root_visual) {
        return formatsFound == 2 && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
               v.data->red_mask == 0xFF0000u && v.data->green_mask == 0xFF00u &&
               v.data->blue_mask == 0xFFu;
      }
    }
  }
  return false;
}

// The Render formats of the root visual and of 8-bit alpha; none without Render.
std::array<xcb_render_pictformat_t, 2> RenderFormats(xcb_connection_t* c,
                                                     const xcb_screen_t& screen) {
  std::array<xcb_render_pictformat_t, 2> found{};
  const xcb_query_extension_reply_t* render = xcb_get_extension_data(c, &xcb_render_id);
  auto* formats = render && render->present ? xcb_render_query_pict_formats_reply(
                                                  c, xcb_render_query_pict_formats(c), nullptr)
                                            : nullptr;
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
    const xcb_render_directformat_t& direct = f.data->direct;
    if (f.data->type == XCB_RENDER_PICT_TYPE_DIRECT && f.data->depth == 8 &&
        direct.alpha_mask == 0xFF && direct.red_mask == 0 && direct.green_mask == 0 &&
        direct.blue_mask == 0) {
      found[1] = f.data->id;
    }
  }
  std::free(formats);
  return found;
}

}  // namespace

std::unique_ptr<DrawingPlatform> CreateX11Platform() {
  auto* native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = native ? native->connection() : nullptr;
  if (!connection || xcb_connection_has_error(connection)) {
    return nullptr;
  }
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  if (!screen || !ScreenTakesOurImages(*setup, *screen)) {
    return nullptr;
  }
  const auto formats = RenderFormats(connection, *screen);
  if (formats[0] == 0 || formats[1] == 0) {
    return nullptr;
  }
  return std::make_unique<X11Platform>(connection, *screen, formats[0], formats[1]);
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
  if (!xcb_connection_has_error(connection_)) {
    for (const xcb_gcontext_t gc : gcs_) {
      xcb_free_gc(connection_, gc);
    }
    xcb_flush(connection_);
  }
}

xcb_gcontext_t X11Platform::Gc(RasterOp op) const {
  return gcs_[op == RasterOp::SrcErase ? 1 : op == RasterOp::SrcInvert ? 2 : 0];
}

xcb_pixmap_t X11Platform::CreatePixmap(int w, int h, bool alphaOnly) const {
  // X has no empty pixmaps; an empty surface keeps a 1 x 1 one that no copy
  // reaches, since every copy is clipped to the surface's size.
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  xcb_create_pixmap(connection_, alphaOnly ? 8 : depth_, pixmap, root_,
                    static_cast<std::uint16_t>(std::clamp(w, 1, 0x7FFF)),
                    static_cast<std::uint16_t>(std::clamp(h, 1, 0x7FFF)));
  return pixmap;
}

xcb_render_picture_t X11Platform::CreatePicture(xcb_drawable_t drawable, bool alphaOnly) const {
  const xcb_render_picture_t picture = xcb_generate_id(connection_);
  xcb_render_create_picture(connection_, picture, drawable, alphaOnly ? alphaFormat_ : pictFormat_,
                            0, nullptr);
  return picture;
}

int X11Platform::RowsPerRequest(std::size_t rowBytes) const {
  constexpr std::size_t kHeader = 32;
  const std::size_t maxBytes = std::size_t{xcb_get_maximum_request_length(connection_)} * 4;
  return std::max(1, static_cast<int>((maxBytes - kHeader) / std::max<std::size_t>(rowBytes, 1)));
}

void X11Platform::Upload(xcb_pixmap_t pixmap, const QImage& image) const {
  // A band at a time, made into the server's pixels on the way: a 32-bit copy
  // of a whole picture would first cost a page fault for every page of it,
  // which start-up feels.
  const bool alpha = image.format() == QImage::Format_Alpha8;
  const int w = image.width();
  const std::size_t rowBytes =
      alpha ? (static_cast<std::size_t>(w) + 3) / 4 * 4 : static_cast<std::size_t>(w) * 4;
  constexpr std::size_t kBandBytes = 64 * 1024;
  const int band =
      std::min(RowsPerRequest(rowBytes), std::max(1, static_cast<int>(kBandBytes / rowBytes)));
  // A GC serves drawables of its own depth only.
  xcb_gcontext_t gc = gcs_[0];
  if (alpha) {
    gc = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc, pixmap, 0, nullptr);
  }
  for (int top = 0; top < image.height(); top += band) {
    const int count = std::min(band, image.height() - top);
    const QImage rows = alpha ? image.copy(0, top, w, count)
                              : image.copy(0, top, w, count).convertToFormat(QImage::Format_RGB32);
    xcb_put_image(
        connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<std::uint16_t>(w),
        static_cast<std::uint16_t>(count), 0, static_cast<std::int16_t>(top), 0, alpha ? 8 : depth_,
        static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(count)), rows.constBits());
  }
  if (alpha) {
    xcb_free_gc(connection_, gc);
  }
}

QImage X11Platform::Read(xcb_drawable_t drawable, int w, int h) const {
  QImage image(w, h, QImage::Format_RGB32);
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  const int band = RowsPerRequest(rowBytes);
  for (int top = 0; top < h && !image.isNull(); top += band) {
    const int count = std::min(band, h - top);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, 0,
                      static_cast<std::int16_t>(top), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(count), ~0u),
        nullptr);
    if (!reply) {
      image.fill(Qt::black);
      break;
    }
    for (int r = 0; r < count; ++r) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(top + r));
      std::memcpy(line, xcb_get_image_data(reply) + rowBytes * static_cast<std::size_t>(r),
                  rowBytes);
      // The pad byte of a 24-bit pixel means nothing; the colours are opaque.
      for (int x = 0; x < w; ++x) {
        line[x] |= 0xFF000000u;
      }
    }
    std::free(reply);
  }
  return image;
}

std::unique_ptr<Surface> X11Platform::CreateSurface(int w, int h, const QImage* picture) {
  return std::make_unique<X11Surface>(*this, w, h, picture);
}

VisibleSurface* X11Platform::CreateVisibleSurface(QWidget* parent, const QImage& picture) {
  return CreateX11Tank(*this, parent, picture);
}

}  // namespace finbowl
