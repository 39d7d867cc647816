#include "platform/x11/x11_sprite_stencil.h"

#include <algorithm>
#include <vector>

#include "platform/x11/x11_platform.h"

namespace finbowl {
namespace {

constexpr QRgb kWhite = 0xFFFFFFu;

// The clip's bits, one per pixel of the upper half, set where the mask is
// black; empty when some mask pixel is neither black nor white over white.
std::vector<std::uint8_t> ClipBits(const QImage& pixels, int half, int rowBytes) {
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(rowBytes) *
                                 static_cast<std::size_t>(half));
  for (int y = 0; y < half; ++y) {
    const auto* colour = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    const auto* mask = reinterpret_cast<const QRgb*>(pixels.constScanLine(y + half));
    for (int x = 0; x < pixels.width(); ++x) {
      const QRgb m = mask[x] & kWhite;
      if (m == 0) {
        bits[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
            static_cast<std::uint8_t>(1u << (x % 8));
      } else if (m != kWhite || (colour[x] & kWhite) != kWhite) {
        return {};
      }
    }
  }
  return bits;
}

}  // namespace

std::unique_ptr<X11SpriteStencil> X11SpriteStencil::For(const X11Platform& platform,
                                                        const QImage& picture) {
  const int width = picture.width(), half = picture.height() / 2;
  if (half <= 0 || width > 0x7FFF || !platform.BitmapsInPixelOrder()) {
    return nullptr;
  }
  // Bits go in the order of the pixels, rows padded as the server wants.
  const int pad =
      std::max<int>(xcb_get_setup(platform.connection())->bitmap_format_scanline_pad, 8);
  const int rowBytes = (width + pad - 1) / pad * pad / 8;
  const std::vector<std::uint8_t> bits =
      ClipBits(picture.convertToFormat(QImage::Format_RGB32), half, rowBytes);
  if (bits.empty()) {
    return nullptr;
  }
  xcb_connection_t* c = platform.connection();
  const xcb_pixmap_t bitmap = xcb_generate_id(c);
  xcb_create_pixmap(c, 1, bitmap, platform.root(), static_cast<std::uint16_t>(width),
                    static_cast<std::uint16_t>(half));
  const xcb_gcontext_t put = xcb_generate_id(c);
  const std::uint32_t noExposures[] = {0};
  xcb_create_gc(c, put, bitmap, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
  const int rowsPerRequest = platform.RowsPerRequest(static_cast<std::size_t>(rowBytes));
  for (int top = 0; top < half; top += rowsPerRequest) {
    const int count = std::min(rowsPerRequest, half - top);
    xcb_put_image(c, XCB_IMAGE_FORMAT_XY_PIXMAP, bitmap, put, static_cast<std::uint16_t>(width),
                  static_cast<std::uint16_t>(count), 0, static_cast<std::int16_t>(top), 0, 1,
                  static_cast<std::uint32_t>(rowBytes * count),
                  bits.data() + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(top));
  }
  xcb_free_gc(c, put);
  // The clip is the server's own once set: the bitmap is not needed after.
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const std::uint32_t values[] = {XCB_GX_COPY, 0, bitmap};
  xcb_create_gc(c, gc, platform.root(),
                XCB_GC_FUNCTION | XCB_GC_GRAPHICS_EXPOSURES | XCB_GC_CLIP_MASK, values);
  xcb_free_pixmap(c, bitmap);
  return std::unique_ptr<X11SpriteStencil>(new X11SpriteStencil(platform, width, half, gc));
}

X11SpriteStencil::~X11SpriteStencil() {
  if (!xcb_connection_has_error(x11_.connection())) {
    xcb_free_gc(x11_.connection(), gc_);
  }
}

bool X11SpriteStencil::Pastes(const BlitRect& colour, int maskDx, int maskDy) const {
  return maskDx == 0 && maskDy == half_ && !colour.empty() && colour.sx >= 0 && colour.sy >= 0 &&
         colour.sx <= width_ - colour.w && colour.sy <= half_ - colour.h;
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
