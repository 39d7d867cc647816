#include <algorithm>

#include "platform/masked_sprites.h"
#include "platform/x11/x11_platform.h"

namespace finbowl {
namespace {

// A sheet on the server as its sprites with their mask as alpha, pasted with
// one Render composite.
struct X11Sheet final : SpriteSheet {
  X11Sheet(const X11Platform& platform, const QImage& pixels)
      : SpriteSheet(pixels.width(), pixels.height()),
        x11(platform),
        picture(platform.UploadPicture(MaskedSprites(pixels))) {}
  ~X11Sheet() override {
    if (!xcb_connection_has_error(x11.connection())) {
      xcb_render_free_picture(x11.connection(), picture);
    }
  }

  const X11Platform& x11;
  xcb_render_picture_t picture = 0;
};

}  // namespace

X11Surface::X11Surface(const X11Platform& platform, int w, int h, const QImage* held)
    : Surface(std::clamp(w, 0, 0x7FFF), std::clamp(h, 0, 0x7FFF)),
      x11(platform),
      pixmap(platform.CreatePixmap(width_, height_)),
      picture(platform.CreatePicture(pixmap)) {
  // The server cuts off what lies beyond the pixmap.
  x11.FillBlack(pixmap);
  if (held) {
    x11.Upload(pixmap, *held);
  }
}

X11Surface::~X11Surface() {
  if (!xcb_connection_has_error(x11.connection())) {
    xcb_render_free_picture(x11.connection(), picture);
    xcb_free_pixmap(x11.connection(), pixmap);
  }
}

void X11Surface::Blit(const Copy& c, const Surface& src, RasterOp op) {
  xcb_copy_area(x11.connection(), static_cast<const X11Surface&>(src).pixmap, pixmap, x11.Gc(op),
                At(c.sx), At(c.sy), At(c.to.x), At(c.to.y), Size(c.to.w), Size(c.to.h));
}

void X11Surface::Paste(const Copy& c, const SpriteSheet& sheet) {
  xcb_render_composite(x11.connection(), XCB_RENDER_PICT_OP_OVER,
                       static_cast<const X11Sheet&>(sheet).picture, XCB_RENDER_PICTURE_NONE,
                       picture, At(c.sx), At(c.sy), 0, 0, At(c.to.x), At(c.to.y), Size(c.to.w),
                       Size(c.to.h));
}

std::unique_ptr<SpriteSheet> X11Platform::CreateSpriteSheet(const QImage& sheet) {
  return std::make_unique<X11Sheet>(*this, sheet);
}

}  // namespace finbowl
