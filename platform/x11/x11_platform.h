#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <array>

#include "platform/surface.h"

namespace finbowl {

// Surfaces as pixmaps on the X server, composed there: CopyArea with the GC
// functions GXcopy, GXandReverse and GXxor is exactly our three raster
// operations on the pixel values of a 24-bit TrueColor screen, and a sprite
// goes over through an alpha mask of its sheet's masks in one Render
// composite. Pictures go up once at start; a frame is then a few dozen small
// requests and one flush, with no round trip and no pixels on the connection.
class X11Platform final : public DrawingPlatform {
 public:
  X11Platform(xcb_connection_t* connection, const xcb_screen_t& screen,
              xcb_render_pictformat_t format, xcb_render_pictformat_t alphaFormat);
  ~X11Platform() override;

  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override;
  std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) override;
  VisibleSurface* CreateVisibleSurface(QWidget* parent, const QImage& picture) override;

  xcb_connection_t* connection() const { return connection_; }
  // The GC of a raster operation; its foreground is black, for fills.
  xcb_gcontext_t Gc(RasterOp op) const;
  // The Render format of the screen's own pixels, which every pixmap and the
  // tank's window have.
  xcb_render_pictformat_t PictFormat() const { return pictFormat_; }

  // A w x h pixmap of the screen's depth (or 8-bit) and its Render picture.
  xcb_pixmap_t CreatePixmap(int w, int h, bool alphaOnly = false) const;
  xcb_render_picture_t CreatePicture(xcb_drawable_t drawable, bool alphaOnly = false) const;
  // Sends the top-left of `image`, 0xffRRGGBB pixels or 8-bit alpha, into a pixmap.
  void Upload(xcb_pixmap_t pixmap, const QImage& image) const;
  // The pixels of a drawable, as 0xffRRGGBB.
  QImage Read(xcb_drawable_t drawable, int w, int h) const;

 private:
  // How many rows of `rowBytes` one PutImage or GetImage can carry.
  int RowsPerRequest(std::size_t rowBytes) const;

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::uint8_t depth_;
  xcb_render_pictformat_t pictFormat_;
  xcb_render_pictformat_t alphaFormat_;
  std::array<xcb_gcontext_t, 3> gcs_{};  // copy, and-reverse, xor
};

// A surface whose pixels are a pixmap on the X server.
class X11Surface final : public Surface {
 public:
  X11Surface(const X11Platform& platform, int w, int h, const QImage* picture);
  ~X11Surface() override;

  void SetSize(int w, int h) override;
  QImage Read() const override { return x11_.Read(pixmap_, Width(), Height()); }
  xcb_pixmap_t Pixmap() const { return pixmap_; }
  xcb_render_picture_t Picture() const { return picture_; }

 private:
  void Blit(const Copy& copy, const Surface& src, RasterOp op) override;
  void Paste(const Copy& copy, const SpriteSheet& sheet, int maskDy) override;

  const X11Platform& x11_;
  xcb_pixmap_t pixmap_;
  xcb_render_picture_t picture_;
};

// The visible tank as a native child window, presented from a pixmap.
VisibleSurface* CreateX11Tank(const X11Platform& platform, QWidget* parent, const QImage& picture);

}  // namespace finbowl
