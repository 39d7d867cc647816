#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <array>

#include "platform/surface.h"

namespace finbowl {

// Coordinates and sizes as requests carry them.
inline std::int16_t At(int v) {
  return static_cast<std::int16_t>(v);
}
inline std::uint16_t Size(int v) {
  return static_cast<std::uint16_t>(v);
}

// Surfaces as pixmaps on the X server, composed there: CopyArea with the GC
// functions GXcopy, GXandReverse and GXxor is exactly our three raster
// operations on a 24-bit TrueColor screen, and a sprite goes over in one
// Render composite. Pictures go up once; a frame is a few dozen small
// requests and one flush, with no round trip.
class X11Platform final : public DrawingPlatform {
 public:
  X11Platform(xcb_connection_t* connection, xcb_window_t root, xcb_render_pictformat_t format,
              xcb_render_pictformat_t argbFormat);
  ~X11Platform() override;

  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override;
  std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) override;
  std::unique_ptr<VisibleSurface> CreateVisibleSurface(QWidget* parent, const Surface& frame,
                                                       std::function<void()> complete) override;

  xcb_connection_t* connection() const { return connection_; }
  xcb_gcontext_t Gc(RasterOp op) const;
  // Pixmaps and pictures of the screen's depth, or of 32 bits with alpha.
  xcb_pixmap_t CreatePixmap(int w, int h, bool argb = false) const;
  xcb_render_picture_t CreatePicture(xcb_drawable_t drawable, bool argb = false) const;
  // Sends `image` into the top-left of a pixmap, or of a new one that only
  // its picture keeps: with its alpha if it has one.
  void Upload(xcb_pixmap_t pixmap, const QImage& image) const;
  xcb_render_picture_t UploadPicture(const QImage& image) const;
  void FillBlack(xcb_drawable_t drawable) const;

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_;
  xcb_render_pictformat_t pictFormat_;
  xcb_render_pictformat_t argbFormat_;
  std::array<xcb_gcontext_t, 3> gcs_{};  // copy, and-reverse, xor
};

// A surface whose pixels are a pixmap on the X server.
struct X11Surface final : Surface {
  X11Surface(const X11Platform& platform, int w, int h, const QImage* held);
  ~X11Surface() override;

  const X11Platform& x11;
  xcb_pixmap_t pixmap;
  xcb_render_picture_t picture;  // the pixmap, for Render

 private:
  void Blit(const Copy& copy, const Surface& src, RasterOp op) override;
  void Paste(const Copy& copy, const SpriteSheet& sheet) override;
};

}  // namespace finbowl
