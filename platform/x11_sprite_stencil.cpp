#include "platform/x11_sprite_stencil.h"

#include <algorithm>

#include "platform/x11_surface.h"

namespace finbowl {
namespace {

constexpr QRgb kWhite = 0xFFFFFFu;

}  // namespace

X11SpriteStencil::X11SpriteStencil(const X11Platform& platform, const QImage& picture, int maskDx,
                                   int maskDy)
    : x11_(platform),
      width_(picture.width()),
      height_(picture.height()),
      maskDx_(maskDx),
      maskDy_(maskDy),
      mixed_(static_cast<std::size_t>(std::max(height_, 0))),
      mixedRowsAbove_(mixed_.size() + 1) {
  const xcb_setup_t* setup = xcb_get_setup(x11_.connection());
  // Bits then go in the order of the pixels, whatever the scanline unit.
  const bool bitsInPixelOrder = setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST &&
                                setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
  const bool masksInside =
      maskDx > -width_ && maskDx < width_ && maskDy > -height_ && maskDy < height_;
  if (!bitsInPixelOrder || !masksInside || width_ <= 0 || height_ <= 0 || width_ > 0x7FFF ||
      height_ > 0x7FFF || picture.format() != QImage::Format_RGB32) {
    return;
  }
  const int pad = std::max<int>(setup->bitmap_format_scanline_pad, 8);
  const int rowBytes = (width_ + pad - 1) / pad * pad / 8;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(rowBytes) * mixed_.size());
  for (int y = 0; y < height_; ++y) {
    const int my = y + maskDy;
    if (my < 0 || my >= height_) {
      continue;  // no paste through the clip reads these rows
    }
    const auto* colour = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    const auto* mask = reinterpret_cast<const QRgb*>(picture.constScanLine(my));
    MixedSpan& span = mixed_[static_cast<std::size_t>(y)];
    span = {width_, -1};
    for (int x = std::max(0, -maskDx); x < std::min(width_, width_ - maskDx); ++x) {
      const QRgb m = mask[x + maskDx] & kWhite;
      if (m == 0) {
        bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
            static_cast<std::uint8_t>(1u << (x % 8));
      } else if (m != kWhite || (colour[x] & kWhite) != kWhite) {
        span = {std::min(span.first, x), std::max(span.last, x)};
      }
    }
  }
  for (std::size_t y = 0; y < mixed_.size(); ++y) {
    mixedRowsAbove_[y + 1] = mixedRowsAbove_[y] + (mixed_[y].first <= mixed_[y].last ? 1 : 0);
  }
  anyMixed_ = mixedRowsAbove_.back() > 0;
  Upload(bits, rowBytes);
}

X11SpriteStencil::~X11SpriteStencil() {
  if (gc_ != 0 && !xcb_connection_has_error(x11_.connection())) {
    xcb_free_gc(x11_.connection(), gc_);
  }
}

void X11SpriteStencil::Upload(const std::vector<std::uint8_t>& bits, int rowBytes) {
  xcb_connection_t* c = x11_.connection();
  const xcb_pixmap_t bitmap = xcb_generate_id(c);
  xcb_create_pixmap(c, 1, bitmap, x11_.root(), static_cast<std::uint16_t>(width_),
                    static_cast<std::uint16_t>(height_));
  const xcb_gcontext_t put = xcb_generate_id(c);
  const std::uint32_t noExposures[] = {0};
  xcb_create_gc(c, put, bitmap, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
  const int rowsPerRequest = x11_.PutImageRows(static_cast<std::size_t>(rowBytes));
  for (int top = 0; top < height_; top += rowsPerRequest) {
    const int count = std::min(rowsPerRequest, height_ - top);
    xcb_put_image(c, XCB_IMAGE_FORMAT_XY_PIXMAP, bitmap, put, static_cast<std::uint16_t>(width_),
                  static_cast<std::uint16_t>(count), 0, static_cast<std::int16_t>(top), 0, 1,
                  static_cast<std::uint32_t>(rowBytes * count),
                  bits.data() + static_cast<std::size_t>(rowBytes) * top);
  }
  xcb_free_gc(c, put);
  // The clip is the server's own once set: the bitmap is not needed after.
  gc_ = xcb_generate_id(c);
  const std::uint32_t values[] = {XCB_GX_COPY, 0, bitmap};
  xcb_create_gc(c, gc_, x11_.root(), XCB_GC_FUNCTION | XCB_GC_GRAPHICS_EXPOSURES | XCB_GC_CLIP_MASK,
                values);
  xcb_free_pixmap(c, bitmap);
}

bool X11SpriteStencil::Pastes(const BlitRect& colour, int maskDx, int maskDy) const {
  const auto inside = [this](int x, int y, int w, int h) {
    return x >= 0 && y >= 0 && x <= width_ - w && y <= height_ - h;
  };
  if (gc_ == 0 || maskDx != maskDx_ || maskDy != maskDy_ || colour.empty() ||
      !inside(colour.sx, colour.sy, colour.w, colour.h) ||
      !inside(colour.sx + maskDx, colour.sy + maskDy, colour.w, colour.h)) {
    return false;
  }
  if (!anyMixed_) {
    return true;
  }
  const auto top = static_cast<std::size_t>(colour.sy);
  const auto bottom = static_cast<std::size_t>(colour.sy + colour.h);
  if (mixedRowsAbove_[bottom] == mixedRowsAbove_[top]) {
    return true;
  }
  for (int y = colour.sy; y < colour.sy + colour.h; ++y) {
    const MixedSpan& span = mixed_[static_cast<std::size_t>(y)];
    if (span.first < colour.sx + colour.w && span.last >= colour.sx) {
      return false;
    }
  }
  return true;
}

void X11SpriteStencil::Paste(xcb_drawable_t dst, xcb_drawable_t sheet, const BlitRect& colour) {
  xcb_connection_t* c = x11_.connection();
  // The clip is the picture's: its corner goes where the picture's would.
  const int originX = colour.x - colour.sx, originY = colour.y - colour.sy;
  if (originX != originX_ || originY != originY_) {
    const std::uint32_t origin[] = {static_cast<std::uint32_t>(originX),
                                    static_cast<std::uint32_t>(originY)};
    xcb_change_gc(c, gc_, XCB_GC_CLIP_ORIGIN_X | XCB_GC_CLIP_ORIGIN_Y, origin);
    originX_ = originX;
    originY_ = originY;
  }
  xcb_copy_area(c, sheet, dst, gc_, static_cast<std::int16_t>(colour.sx),
                static_cast<std::int16_t>(colour.sy), static_cast<std::int16_t>(colour.x),
                static_cast<std::int16_t>(colour.y), static_cast<std::uint16_t>(colour.w),
                static_cast<std::uint16_t>(colour.h));
}

}  // namespace finbowl
