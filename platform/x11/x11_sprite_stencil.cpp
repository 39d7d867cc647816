#include "platform/x11/x11_sprite_stencil.h"

#include <algorithm>
#include <vector>

#include "platform/x11/x11_platform.h"

namespace finbowl {
namespace {

constexpr QRgb kWhite = 0xFFFFFFu;

// The alpha mask's bytes, one per pixel of the upper half in rows of
// `rowBytes`: opaque where the mask is black. Empty when some mask pixel is
// neither black nor white over white, which a picture that is no sheet (the
// tank) shows at once, before any work.
std::vector<std::uint8_t> AlphaBytes(const QImage& picture, int half, int rowBytes) {
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(rowBytes) *
                                  static_cast<std::size_t>(half));
  for (int y = 0; y < half; ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb m = picture.pixel(x, y + half) & kWhite;
      if (m == 0) {
        alpha[static_cast<std::size_t>(y * rowBytes + x)] = 0xFF;
      } else if (m != kWhite || (picture.pixel(x, y) & kWhite) != kWhite) {
        return {};
      }
    }
  }
  return alpha;
}

// Bytes in a row of a w pixel wide 8-bit image as the server pads them.
int PaddedRow(xcb_connection_t* c, int w) {
  int pad = 32;
  for (auto f = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c)); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == 8) {
      pad = f.data->scanline_pad;
    }
  }
  return (w * 8 + pad - 1) / pad * pad / 8;
}

}  // namespace

std::unique_ptr<X11SpriteStencil> X11SpriteStencil::For(const X11Platform& platform,
                                                        const QImage& picture) {
  const int width = picture.width(), half = picture.height() / 2;
  if (half <= 0 || width > 0x7FFF || platform.AlphaFormat() == 0) {
    return nullptr;
  }
  xcb_connection_t* c = platform.connection();
  const int rowBytes = PaddedRow(c, width);
  const std::vector<std::uint8_t> alpha = AlphaBytes(picture, half, rowBytes);
  if (alpha.empty()) {
    return nullptr;
  }
  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  xcb_create_pixmap(c, 8, pixmap, platform.root(), static_cast<std::uint16_t>(width),
                    static_cast<std::uint16_t>(half));
  const xcb_gcontext_t put = xcb_generate_id(c);
  const std::uint32_t noExposures[] = {0};
  xcb_create_gc(c, put, pixmap, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
  const int rowsPerRequest = platform.RowsPerRequest(static_cast<std::size_t>(rowBytes));
  for (int top = 0; top < half; top += rowsPerRequest) {
    const int count = std::min(rowsPerRequest, half - top);
    xcb_put_image(
        c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, put, static_cast<std::uint16_t>(width),
        static_cast<std::uint16_t>(count), 0, static_cast<std::int16_t>(top), 0, 8,
        static_cast<std::uint32_t>(rowBytes * count),
        alpha.data() + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(top));
  }
  xcb_free_gc(c, put);
  // The picture keeps the pixmap alive on the server as long as it needs it.
  const xcb_render_picture_t mask = xcb_generate_id(c);
  xcb_render_create_picture(c, mask, pixmap, platform.AlphaFormat(), 0, nullptr);
  xcb_free_pixmap(c, pixmap);
  return std::unique_ptr<X11SpriteStencil>(new X11SpriteStencil(platform, width, half, mask));
}

X11SpriteStencil::~X11SpriteStencil() {
  if (!xcb_connection_has_error(x11_.connection())) {
    xcb_render_free_picture(x11_.connection(), mask_);
  }
}

bool X11SpriteStencil::Pastes(const BlitRect& colour, int maskDx, int maskDy) const {
  return maskDx == 0 && maskDy == half_ && !colour.empty() && colour.sx >= 0 && colour.sy >= 0 &&
         colour.sx <= width_ - colour.w && colour.sy <= half_ - colour.h;
}

void X11SpriteStencil::Paste(xcb_render_picture_t dst, xcb_render_picture_t sheet,
                             const BlitRect& colour) const {
  // The sheet's pixels have no alpha of their own and count as opaque, so
  // laying them over through an opaque mask pixel gives the colour exactly,
  // and through a clear one leaves the destination exactly as it was.
  xcb_render_composite(x11_.connection(), XCB_RENDER_PICT_OP_OVER, sheet, mask_, dst,
                       static_cast<std::int16_t>(colour.sx), static_cast<std::int16_t>(colour.sy),
                       static_cast<std::int16_t>(colour.sx), static_cast<std::int16_t>(colour.sy),
                       static_cast<std::int16_t>(colour.x), static_cast<std::int16_t>(colour.y),
                       static_cast<std::uint16_t>(colour.w), static_cast<std::uint16_t>(colour.h));
}

}  // namespace finbowl
