#include "platform/x11/x11_platform.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb_renderutil.h>

#include <QGuiApplication>
#include <algorithm>

namespace finbowl {
namespace {

// Whether the screen's pixels, and those of 32-bit pictures with alpha, are
// 32-bit words holding 0xAARRGGBB in this machine's byte order, so that
// QImage's RGB32 and ARGB32 rows go up and come back as they are.
bool ScreenTakesOurImages(const xcb_setup_t& setup, const xcb_render_pictforminfo_t* format) {
  int formats = 0;
  for (auto f = xcb_setup_pixmap_formats_iterator(&setup); f.rem; xcb_format_next(&f)) {
    formats += f.data->scanline_pad == 32 && f.data->bits_per_pixel == 32 &&
               (f.data->depth == 24 || f.data->depth == 32);
  }
  const xcb_render_directformat_t* d = format ? &format->direct : nullptr;
  return formats == 2 && setup.image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST && d &&
         format->depth == 24 && d->red_shift == 16 && d->green_shift == 8 && d->blue_shift == 0 &&
         d->red_mask == 0xFF && d->green_mask == 0xFF && d->blue_mask == 0xFF;
}

}  // namespace

std::unique_ptr<DrawingPlatform> CreateX11Platform() {
  auto* native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = native ? native->connection() : nullptr;
  if (!c || xcb_connection_has_error(c)) {
    return nullptr;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const xcb_visualid_t visualId = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root_visual;
  // Shared with the toolkit, which asks for the same, and kept with the connection.
  const auto* formats = xcb_render_util_query_formats(c);
  const auto* visual = formats ? xcb_render_util_find_visual_format(formats, visualId) : nullptr;
  const auto* alpha =
      formats ? xcb_render_util_find_standard_format(formats, XCB_PICT_STANDARD_ARGB_32) : nullptr;
  xcb_render_pictforminfo_t wanted{};
  wanted.id = visual ? visual->format : 0;
  if (!visual || !alpha ||
      !ScreenTakesOurImages(*xcb_get_setup(c),
                            xcb_render_util_find_format(formats, XCB_PICT_FORMAT_ID, &wanted, 0))) {
    return nullptr;
  }
  return std::make_unique<X11Platform>(c, root, visual->format, alpha->id);
}

X11Platform::X11Platform(xcb_connection_t* connection, xcb_window_t root,
                         xcb_render_pictformat_t format, xcb_render_pictformat_t argbFormat)
    : connection_(connection), root_(root), pictFormat_(format), argbFormat_(argbFormat) {
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

xcb_pixmap_t X11Platform::CreatePixmap(int w, int h, bool argb) const {
  // X has no empty pixmaps; no copy reaches past a surface's own size.
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  xcb_create_pixmap(connection_, argb ? 32 : 24, pixmap, root_, Size(std::clamp(w, 1, 0x7FFF)),
                    Size(std::clamp(h, 1, 0x7FFF)));
  return pixmap;
}

xcb_render_picture_t X11Platform::CreatePicture(xcb_drawable_t drawable, bool argb) const {
  const xcb_render_picture_t picture = xcb_generate_id(connection_);
  xcb_render_create_picture(connection_, picture, drawable, argb ? argbFormat_ : pictFormat_, 0,
                            nullptr);
  return picture;
}

void X11Platform::Upload(xcb_pixmap_t pixmap, const QImage& image) const {
  // A band at a time, made into the server's pixels on the way; QImage pads
  // rows to 32 bits as the server does. A GC serves one depth only.
  const bool argb = image.hasAlphaChannel();
  const QImage::Format format = argb ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  xcb_create_gc(connection_, gc, pixmap, 0, nullptr);
  const int band = std::max(1, 32 * 1024 / std::max(1, image.width()));
  for (int top = 0; top < image.height(); top += band) {
    const QImage part = image.copy(0, top, image.width(), band).convertToFormat(format);
    const int rows = std::min(band, image.height() - top);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, Size(part.width()),
                  Size(rows), 0, At(top), 0, argb ? 32 : 24,
                  static_cast<std::uint32_t>(part.bytesPerLine() * rows), part.constBits());
  }
  xcb_free_gc(connection_, gc);
}

xcb_render_picture_t X11Platform::UploadPicture(const QImage& image) const {
  const xcb_pixmap_t pixmap = CreatePixmap(image.width(), image.height(), image.hasAlphaChannel());
  Upload(pixmap, image);
  const xcb_render_picture_t picture = CreatePicture(pixmap, image.hasAlphaChannel());
  xcb_free_pixmap(connection_, pixmap);
  return picture;
}

void X11Platform::FillBlack(xcb_drawable_t drawable) const {
  // The copy GC's foreground is black.
  const xcb_rectangle_t all = {0, 0, 0x7FFF, 0x7FFF};
  xcb_poly_fill_rectangle(connection_, drawable, gcs_[0], 1, &all);
}

std::unique_ptr<Surface> X11Platform::CreateSurface(int w, int h, const QImage* picture) {
  return std::make_unique<X11Surface>(*this, w, h, picture);
}

}  // namespace finbowl
