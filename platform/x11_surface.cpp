#include "platform/x11_surface.h"

#include "platform/x11_visible_surface.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace finbowl {
namespace {

// Whether pixels of `depth` are 32-bit words holding 0x00RRGGBB in the byte
// order of this machine, so that QImage's RGB32 rows can go up as they are.
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
  return std::unique_ptr<X11Platform>(new X11Platform(connection, *screen));
}

X11Platform::X11Platform(xcb_connection_t* connection, const xcb_screen_t& screen)
    : connection_(connection),
      root_(screen.root),
      depth_(screen.root_depth),
      maxRequestBytes_(std::size_t{xcb_get_maximum_request_length(connection)} * 4) {
  // Exposure events for every copy would be traffic nobody reads.
  const std::uint32_t functions[] = {XCB_GX_COPY, XCB_GX_AND_REVERSE, XCB_GX_XOR};
  for (std::size_t i = 0; i < gcs_.size(); ++i) {
    gcs_[i] = xcb_generate_id(connection_);
    const std::uint32_t values[] = {functions[i], 0};
    xcb_create_gc(connection_, gcs_[i], root_, XCB_GC_FUNCTION | XCB_GC_GRAPHICS_EXPOSURES, values);
  }
  fillGc_ = xcb_generate_id(connection_);
  const std::uint32_t fill[] = {XCB_GX_COPY, 0, 0};
  xcb_create_gc(connection_, fillGc_, root_,
                XCB_GC_FUNCTION | XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, fill);
}

X11Platform::~X11Platform() {
  if (xcb_connection_has_error(connection_)) {
    return;
  }
  for (const xcb_gcontext_t gc : gcs_) {
    xcb_free_gc(connection_, gc);
  }
  xcb_free_gc(connection_, fillGc_);
  xcb_flush(connection_);
}

int X11Platform::PutImageRows(std::size_t rowBytes) const {
  constexpr std::size_t kPutImageHeader = 24;
  return std::max(1, static_cast<int>((maxRequestBytes_ - kPutImageHeader) / rowBytes));
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
  return CreateX11VisibleSurface(*this, parent, w, h, picture);
}

X11Surface::X11Surface(const X11Platform& platform, int w, int h, const QImage* picture)
    : X11Drawable(platform), x11_(platform) {
  if (picture && !picture->isNull()) {
    picture_ = *picture;
  }
  Build(w, h, 0, 0, 0);
}

X11Surface::~X11Surface() {
  WillWrite();
  if (!xcb_connection_has_error(x11_.connection())) {
    xcb_free_pixmap(x11_.connection(), pixmap_);
  }
}

void X11Surface::Rebuild(int w, int h) {
  // A surface that still holds nothing but its picture keeps its pixmap for
  // any size that fits in it: every copy is clipped to the surface's size, so
  // what lies beyond is never reached, and it is still the picture (or black)
  // should the surface grow again. Start-up cuts the tank this way.
  const int width = std::clamp(w, 0, 0x7FFF), height = std::clamp(h, 0, 0x7FFF);
  if (pristine_ && std::max(width, 1) <= pixmapWidth_ && std::max(height, 1) <= pixmapHeight_) {
    width_ = width;
    height_ = height;
    return;
  }
  const xcb_pixmap_t old = pixmap_;
  Build(w, h, pristine_ ? old : 0, pixmapWidth_, pixmapHeight_);
  xcb_free_pixmap(x11_.connection(), old);
}

void X11Surface::Build(int w, int h, xcb_pixmap_t pristine, int pristineW, int pristineH) {
  xcb_connection_t* c = x11_.connection();
  width_ = std::clamp(w, 0, 0x7FFF);
  height_ = std::clamp(h, 0, 0x7FFF);
  // X has no empty pixmaps; an empty surface keeps a 1 x 1 one that nothing
  // reaches, since every copy is clipped to the size above.
  const auto pw = static_cast<std::uint16_t>(std::max(width_, 1));
  const auto ph = static_cast<std::uint16_t>(std::max(height_, 1));
  pixmap_ = xcb_generate_id(c);
  xcb_create_pixmap(c, x11_.depth(), pixmap_, x11_.root(), pw, ph);
  pixmapWidth_ = pw;
  pixmapHeight_ = ph;
  // The picture shows at the corner, cut to the surface; black is left around
  // it only where it does not reach.
  const int shownW = std::min(width_, picture_.width());
  const int shownH = std::min(height_, picture_.height());
  if (shownW < pw || shownH < ph) {
    const xcb_rectangle_t all = {0, 0, pw, ph};
    xcb_poly_fill_rectangle(c, pixmap_, x11_.FillGc(), 1, &all);
  }
  pristine_ = !picture_.isNull();
  if (!pristine_ || shownW == 0 || shownH == 0) {
    return;
  }
  // The last pixmap, untouched since it took the picture, already holds what
  // shows: the server copies it rather than the picture going up again. The
  // picture is never kept on the server apart from the surface.
  if (pristine != 0 && pristineW >= shownW && pristineH >= shownH) {
    xcb_copy_area(c, pristine, pixmap_, x11_.Gc(RasterOp::SrcCopy), 0, 0, 0, 0,
                  static_cast<std::uint16_t>(shownW), static_cast<std::uint16_t>(shownH));
  } else {
    Upload(shownW, shownH);
  }
}

void X11Surface::Upload(int w, int h) {
  xcb_connection_t* c = x11_.connection();
  // RGB32 rows of the whole width are exactly the server's 32-bit pixels, one
  // after the other, and go up straight from the picture in as few requests
  // as the server takes. Any other picture goes up a band at a time, made
  // into such rows on the way: a 32-bit copy of a whole picture would first
  // cost a page fault for every page of it, which start-up feels.
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  const bool asItIs = picture_.format() == QImage::Format_RGB32 &&
                      static_cast<std::size_t>(picture_.bytesPerLine()) == rowBytes;
  constexpr std::size_t kBandBytes = 64 * 1024;
  const int rowsPerRequest =
      std::min(x11_.PutImageRows(rowBytes),
               asItIs ? h : std::max(1, static_cast<int>(kBandBytes / rowBytes)));
  for (int top = 0; top < h; top += rowsPerRequest) {
    const int count = std::min(rowsPerRequest, h - top);
    const QImage band =
        asItIs ? QImage() : picture_.copy(0, top, w, count).convertToFormat(QImage::Format_RGB32);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, x11_.Gc(RasterOp::SrcCopy),
                  static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(count), 0,
                  static_cast<std::int16_t>(top), 0, x11_.depth(),
                  static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(count)),
                  asItIs ? picture_.constScanLine(top) : band.constBits());
  }
}

void X11Surface::HoldsSprites(int maskDx, int maskDy) {
  if (!picture_.isNull()) {
    stencil_ = std::make_unique<X11SpriteStencil>(
        x11_, picture_.convertToFormat(QImage::Format_RGB32), maskDx, maskDy);
  }
}

void X11Surface::Blit(const BlitRect& r, const Surface& src, RasterOp op) {
  const auto& source = static_cast<const X11Drawable&>(src);
  xcb_copy_area(x11_.connection(), source.Source(), pixmap_, x11_.Gc(op),
                static_cast<std::int16_t>(r.sx), static_cast<std::int16_t>(r.sy),
                static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(r.y),
                static_cast<std::uint16_t>(r.w), static_cast<std::uint16_t>(r.h));
  pristine_ = false;
}

void X11Surface::BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) {
  const auto& sheet = static_cast<const X11Drawable&>(src);
  X11SpriteStencil* stencil = sheet.SpriteStencil();
  if (stencil && stencil->Pastes(colour, maskDx, maskDy)) {
    stencil->Paste(pixmap_, sheet.Source(), colour);
  } else {
    Surface::BlitSprite(colour, src, maskDx, maskDy);
  }
  pristine_ = false;
}

QImage X11Surface::Read() const {
  return ReadDrawable(x11_, pixmap_, width_, height_);
}

QImage ReadDrawable(const X11Platform& platform, xcb_drawable_t drawable, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  if (image.isNull()) {
    return image;
  }
  xcb_connection_t* c = platform.connection();
  // Row bands small enough for one reply each.
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  const int band = std::max(1, static_cast<int>((platform.MaxRequestBytes() - 32) / rowBytes));
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

}  // namespace finbowl
