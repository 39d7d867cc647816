#pragma once

#include <xcb/xcb.h>

#include <array>
#include <memory>

#include "platform/surface.h"
#include "platform/x11_sprite_stencil.h"

namespace finbowl {

// Surfaces as pixmaps on the X server, composed there with CopyArea: the GC
// functions GXcopy, GXandReverse and GXxor are exactly our three raster
// operations on the pixel values of a 24-bit TrueColor screen. Pictures go up
// once at start; a frame is then a handful of requests and one flush, with no
// round trip to the server and no pixels crossing the connection.
class X11Platform final : public DrawingPlatform {
 public:
  // The platform for Qt's own X connection, or nothing when the program does
  // not run on X11 or the screen is not one whose pixels are 0x00RRGGBB.
  static std::unique_ptr<X11Platform> Create();
  ~X11Platform() override;

  const char* Name() const override { return "x11"; }
  bool PresentsThroughToolkit() const override { return false; }
  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override;
  VisibleSurface* CreateVisibleSurface(QWidget* parent, int w, int h,
                                       const QImage* picture) override;

  xcb_connection_t* connection() const { return connection_; }
  xcb_gcontext_t Gc(RasterOp op) const;
  xcb_gcontext_t FillGc() const { return fillGc_; }
  std::uint8_t depth() const { return depth_; }
  xcb_window_t root() const { return root_; }
  // Largest request the server takes, in bytes.
  std::size_t MaxRequestBytes() const { return maxRequestBytes_; }
  // How many image rows of `rowBytes` one PutImage request can carry.
  int PutImageRows(std::size_t rowBytes) const;

 private:
  X11Platform(xcb_connection_t* connection, const xcb_screen_t& screen);

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::uint8_t depth_;
  std::size_t maxRequestBytes_;
  std::array<xcb_gcontext_t, 3> gcs_{};  // copy, and-reverse, xor
  xcb_gcontext_t fillGc_ = 0;
};

// A surface whose pixels are on the X server, in a drawable a copy can read.
class X11Drawable : public Surface {
 public:
  virtual xcb_drawable_t Source() const = 0;
  // The clip that pastes this surface's sprites in one copy, while the surface
  // still holds the picture it was made from; or none.
  virtual X11SpriteStencil* SpriteStencil() const { return nullptr; }

 protected:
  using Surface::Surface;
};

class X11Surface final : public X11Drawable {
 public:
  X11Surface(const X11Platform& platform, int w, int h, const QImage* picture);
  ~X11Surface() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  QImage Read() const override;
  xcb_drawable_t Source() const override { return pixmap_; }
  void HoldsSprites(int maskDx, int maskDy) override;
  X11SpriteStencil* SpriteStencil() const override { return pristine_ ? stencil_.get() : nullptr; }

 private:
  void Rebuild(int w, int h) override;
  void Blit(const BlitRect& rect, const Surface& src, RasterOp op) override;
  void BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) override;
  // Makes the pixmap for w x h with the picture at its corner. `pristine`, if
  // not 0, is the last pixmap (pristineW x pristineH), still holding nothing
  // but the picture.
  void Build(int w, int h, xcb_pixmap_t pristine, int pristineW, int pristineH);
  // Sends the top-left w x h of the picture into the pixmap.
  void Upload(int w, int h);

  const X11Platform& x11_;
  QImage picture_;  // the picture it was given, sharing its pixels
  std::unique_ptr<X11SpriteStencil> stencil_;
  bool pristine_ = false;  // nothing has been drawn since the picture was copied in
  xcb_pixmap_t pixmap_ = 0;
  int pixmapWidth_ = 0, pixmapHeight_ = 0;  // at least the surface's size
  int width_ = 0;
  int height_ = 0;
};

// Pixels of a drawable, as 0xffRRGGBB; black where the server gives none.
QImage ReadDrawable(const X11Platform& platform, xcb_drawable_t drawable, int w, int h);

}  // namespace finbowl
