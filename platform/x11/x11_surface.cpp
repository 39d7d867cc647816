#include "platform/x11/x11_surface.h"

#include <algorithm>

namespace finbowl {

X11Surface::X11Surface(const X11Platform& platform, int w, int h, const QImage* picture)
    : Surface(platform), x11_(platform) {
  if (picture && !picture->isNull()) {
    held_ = *picture;
    stencil_ = X11SpriteStencil::For(platform, held_);
  }
  Build(w, h, 0, 0, 0);
}

X11Surface::~X11Surface() {
  if (!xcb_connection_has_error(x11_.connection())) {
    xcb_render_free_picture(x11_.connection(), picture_);
    xcb_free_pixmap(x11_.connection(), pixmap_);
  }
}

void X11Surface::SetSize(int w, int h) {
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
  xcb_render_free_picture(x11_.connection(), picture_);
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
  picture_ = xcb_generate_id(c);
  xcb_render_create_picture(c, picture_, pixmap_, x11_.PictFormat(), 0, nullptr);
  pixmapWidth_ = pw;
  pixmapHeight_ = ph;
  // The picture shows at the corner, cut to the surface; black is left around
  // it only where it does not reach.
  const int shownW = std::min(width_, held_.width());
  const int shownH = std::min(height_, held_.height());
  if (shownW < pw || shownH < ph) {
    const xcb_rectangle_t all = {0, 0, pw, ph};
    xcb_poly_fill_rectangle(c, pixmap_, x11_.Gc(RasterOp::SrcCopy), 1, &all);
  }
  pristine_ = !held_.isNull();
  if (!pristine_ || shownW == 0 || shownH == 0) {
    return;
  }
  // The last pixmap, untouched since it took the picture, already holds what
  // shows: the server copies it rather than the picture going up again.
  if (pristine != 0 && pristineW >= shownW && pristineH >= shownH) {
    xcb_copy_area(c, pristine, pixmap_, x11_.Gc(RasterOp::SrcCopy), 0, 0, 0, 0,
                  static_cast<std::uint16_t>(shownW), static_cast<std::uint16_t>(shownH));
  } else {
    Upload(shownW, shownH);
  }
}

void X11Surface::Upload(int w, int h) {
  // The picture goes up a band at a time, made into the server's 32-bit
  // pixels on the way: a 32-bit copy of a whole picture would first cost a
  // page fault for every page of it, which start-up feels.
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  constexpr std::size_t kBandBytes = 64 * 1024;
  const int rowsPerRequest =
      std::min(x11_.RowsPerRequest(rowBytes), std::max(1, static_cast<int>(kBandBytes / rowBytes)));
  for (int top = 0; top < h; top += rowsPerRequest) {
    const int count = std::min(rowsPerRequest, h - top);
    const QImage band = held_.copy(0, top, w, count).convertToFormat(QImage::Format_RGB32);
    xcb_put_image(x11_.connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap_, x11_.Gc(RasterOp::SrcCopy),
                  static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(count), 0,
                  static_cast<std::int16_t>(top), 0, x11_.depth(),
                  static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(count)),
                  band.constBits());
  }
}

void X11Surface::Blit(const BlitRect& r, const Surface& src, RasterOp op) {
  const auto& source = static_cast<const X11Surface&>(src);
  xcb_copy_area(x11_.connection(), source.pixmap_, pixmap_, x11_.Gc(op),
                static_cast<std::int16_t>(r.sx), static_cast<std::int16_t>(r.sy),
                static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(r.y),
                static_cast<std::uint16_t>(r.w), static_cast<std::uint16_t>(r.h));
  pristine_ = false;
}

void X11Surface::BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) {
  const auto& sheet = static_cast<const X11Surface&>(src);
  if (sheet.pristine_ && sheet.stencil_ && sheet.stencil_->Pastes(colour, maskDx, maskDy)) {
    sheet.stencil_->Paste(picture_, sheet.picture_, colour);
    pristine_ = false;
  } else {
    Surface::BlitSprite(colour, src, maskDx, maskDy);
  }
}

QImage X11Surface::Read() const {
  return ReadDrawable(x11_, pixmap_, width_, height_);
}

}  // namespace finbowl
