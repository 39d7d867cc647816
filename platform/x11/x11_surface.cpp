#include <algorithm>

#include "platform/x11/x11_platform.h"

namespace finbowl {
namespace {

// A sheet's pixels in a pixmap, and beside them an alpha mask opaque wherever
// the sheet is black. Where a sprite's mask is black the paste takes the
// sprite, and where it is white the sprite is white and the paste keeps what
// was there: exactly the sprite laid over through the alpha of its mask, which
// the server does in one composite on its fast path.
class X11Sheet final : public SpriteSheet {
 public:
  X11Sheet(const X11Platform& platform, const QImage& picture)
      : SpriteSheet(picture.width(), picture.height()),
        x11_(platform),
        pixmap_(platform.CreatePixmap(Width(), Height())),
        picture_(platform.CreatePicture(pixmap_)) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    platform.Upload(pixmap_, pixels);
    QImage alpha(pixels.size(), QImage::Format_Alpha8);
    for (int y = 0; y < pixels.height(); ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
      std::uint8_t* out = alpha.scanLine(y);
      for (int x = 0; x < pixels.width(); ++x) {
        out[x] = (in[x] & 0xFFFFFFu) == 0 ? 0xFF : 0;
      }
    }
    const xcb_pixmap_t alphaPixmap = platform.CreatePixmap(Width(), Height(), true);
    platform.Upload(alphaPixmap, alpha);
    // The picture keeps its pixmap alive on the server as long as it needs it.
    alpha_ = platform.CreatePicture(alphaPixmap, true);
    xcb_free_pixmap(platform.connection(), alphaPixmap);
  }

  ~X11Sheet() override {
    if (!xcb_connection_has_error(x11_.connection())) {
      xcb_render_free_picture(x11_.connection(), alpha_);
      xcb_render_free_picture(x11_.connection(), picture_);
      xcb_free_pixmap(x11_.connection(), pixmap_);
    }
  }

  QImage Read() const override { return x11_.Read(pixmap_, Width(), Height()); }
  xcb_render_picture_t Picture() const { return picture_; }
  xcb_render_picture_t Alpha() const { return alpha_; }

 private:
  const X11Platform& x11_;
  xcb_pixmap_t pixmap_;
  xcb_render_picture_t picture_;
  xcb_render_picture_t alpha_ = 0;
};

}  // namespace

X11Surface::X11Surface(const X11Platform& platform, int w, int h, const QImage* picture)
    : Surface(std::clamp(w, 0, 0x7FFF), std::clamp(h, 0, 0x7FFF)),
      x11_(platform),
      pixmap_(platform.CreatePixmap(Width(), Height())),
      picture_(platform.CreatePicture(pixmap_)) {
  const Rect shown =
      picture ? Bounds().Intersected({0, 0, picture->width(), picture->height()}) : Rect{};
  if (shown != Bounds()) {
    const xcb_rectangle_t all = {0, 0, 0x7FFF, 0x7FFF};
    xcb_poly_fill_rectangle(x11_.connection(), pixmap_, x11_.Gc(RasterOp::SrcCopy), 1, &all);
  }
  if (!shown.empty()) {
    x11_.Upload(pixmap_, picture->copy(0, 0, shown.w, shown.h));
  }
}

X11Surface::~X11Surface() {
  if (!xcb_connection_has_error(x11_.connection())) {
    xcb_render_free_picture(x11_.connection(), picture_);
    xcb_free_pixmap(x11_.connection(), pixmap_);
  }
}

void X11Surface::SetSize(int w, int h) {
  xcb_connection_t* c = x11_.connection();
  const xcb_pixmap_t old = pixmap_;
  const Rect kept = Bounds().Intersected({0, 0, w, h});
  xcb_render_free_picture(c, picture_);
  Resized(std::clamp(w, 0, 0x7FFF), std::clamp(h, 0, 0x7FFF));
  pixmap_ = x11_.CreatePixmap(Width(), Height());
  picture_ = x11_.CreatePicture(pixmap_);
  if (kept != Bounds()) {
    const xcb_rectangle_t all = {0, 0, 0x7FFF, 0x7FFF};
    xcb_poly_fill_rectangle(c, pixmap_, x11_.Gc(RasterOp::SrcCopy), 1, &all);
  }
  if (!kept.empty()) {
    xcb_copy_area(c, old, pixmap_, x11_.Gc(RasterOp::SrcCopy), 0, 0, 0, 0,
                  static_cast<std::uint16_t>(kept.w), static_cast<std::uint16_t>(kept.h));
  }
  xcb_free_pixmap(c, old);
}

void X11Surface::Blit(const Copy& c, const Surface& src, RasterOp op) {
  xcb_copy_area(x11_.connection(), static_cast<const X11Surface&>(src).pixmap_, pixmap_,
                x11_.Gc(op), static_cast<std::int16_t>(c.sx), static_cast<std::int16_t>(c.sy),
                static_cast<std::int16_t>(c.to.x), static_cast<std::int16_t>(c.to.y),
                static_cast<std::uint16_t>(c.to.w), static_cast<std::uint16_t>(c.to.h));
}

void X11Surface::Paste(const Copy& c, const SpriteSheet& sheet, int maskDy) {
  // The sheet's pixels have no alpha of their own and count as opaque.
  const auto& s = static_cast<const X11Sheet&>(sheet);
  xcb_render_composite(x11_.connection(), XCB_RENDER_PICT_OP_OVER, s.Picture(), s.Alpha(), picture_,
                       static_cast<std::int16_t>(c.sx), static_cast<std::int16_t>(c.sy),
                       static_cast<std::int16_t>(c.sx), static_cast<std::int16_t>(c.sy + maskDy),
                       static_cast<std::int16_t>(c.to.x), static_cast<std::int16_t>(c.to.y),
                       static_cast<std::uint16_t>(c.to.w), static_cast<std::uint16_t>(c.to.h));
}

std::unique_ptr<SpriteSheet> X11Platform::CreateSpriteSheet(const QImage& sheet) {
  return std::make_unique<X11Sheet>(*this, sheet);
}

}  // namespace finbowl
