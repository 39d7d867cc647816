#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <array>
#include <memory>

#include "platform/surface.h"

namespace finbowl {

// Surfaces as pixmaps on the X server, composed there with CopyArea: the GC
// functions GXcopy, GXandReverse and GXxor are exactly our three raster
// operations on the pixel values of a 24-bit TrueColor screen. Pictures go up
// once at start; a frame is then a handful of requests and one flush, with no
// round trip to the server and no pixels crossing the connection.
class X11Platform final : public DrawingPlatform {
 public:
  // The platform for Qt's own X connection, or nothing when the program does
  // not run on X11, the screen's pixels are not 0x00RRGGBB, or the server
  // cannot scale pictures (the Render extension).
  static std::unique_ptr<X11Platform> Create();
  ~X11Platform() override;

  const char* Name() const override { return "x11"; }
  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override;
  VisibleSurface* CreateVisibleSurface(QWidget* parent, int w, int h,
                                       const QImage* picture) override;

  xcb_connection_t* connection() const { return connection_; }
  // The GC of a raster operation. Its foreground is black, so the copy GC
  // also fills with black.
  xcb_gcontext_t Gc(RasterOp op) const;
  std::uint8_t depth() const { return depth_; }
  xcb_window_t root() const { return root_; }
  // The Render format of the screen's own pixels, which every pixmap and the
  // tank's window have, and that of 8-bit alpha masks.
  xcb_render_pictformat_t PictFormat() const { return pictFormat_; }
  xcb_render_pictformat_t AlphaFormat() const { return alphaFormat_; }
  // How many image rows of `rowBytes` one PutImage or GetImage can carry.
  int RowsPerRequest(std::size_t rowBytes) const;

 private:
  X11Platform(xcb_connection_t* connection, const xcb_screen_t& screen,
              xcb_render_pictformat_t format, xcb_render_pictformat_t alphaFormat);

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::uint8_t depth_;
  xcb_render_pictformat_t pictFormat_;
  xcb_render_pictformat_t alphaFormat_;
  std::array<xcb_gcontext_t, 3> gcs_{};  // copy, and-reverse, xor
};

// Pixels of a drawable, as 0xffRRGGBB; black where the server gives none.
QImage ReadDrawable(const X11Platform& platform, xcb_drawable_t drawable, int w, int h);

// The visible tank as a native child window, presented from a pixmap.
VisibleSurface* CreateX11Tank(const X11Platform& platform, QWidget* parent, int w, int h,
                              const QImage* picture);

}  // namespace finbowl
