#pragma once

#include <xcb/xcb.h>

#include <memory>

#include "platform/x11/x11_platform.h"
#include "platform/x11/x11_sprite_stencil.h"

namespace finbowl {

// A surface whose pixels are a pixmap on the X server.
class X11Surface final : public Surface {
 public:
  X11Surface(const X11Platform& platform, int w, int h, const QImage* picture);
  ~X11Surface() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetSize(int w, int h) override;
  QImage Read() const override;
  xcb_pixmap_t Pixmap() const { return pixmap_; }
  // The pixmap as a Render picture.
  xcb_render_picture_t Picture() const { return picture_; }

 private:
  void Blit(const BlitRect& rect, const Surface& src, RasterOp op) override;
  void BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) override;
  // Makes the pixmap for w x h with the picture at its corner. `pristine`, if
  // not 0, is the last pixmap (pristineW x pristineH), still holding nothing
  // but the picture.
  void Build(int w, int h, xcb_pixmap_t pristine, int pristineW, int pristineH);
  // Sends the top-left w x h of the picture into the pixmap.
  void Upload(int w, int h);

  const X11Platform& x11_;
  QImage held_;  // the picture it was given, sharing its pixels
  // Pastes this surface's sprites in one copy while it holds only its picture.
  std::unique_ptr<X11SpriteStencil> stencil_;
  bool pristine_ = false;  // nothing has been drawn since the picture was copied in
  xcb_pixmap_t pixmap_ = 0;
  xcb_render_picture_t picture_ = 0;
  int pixmapWidth_ = 0, pixmapHeight_ = 0;  // at least the surface's size
  int width_ = 0;
  int height_ = 0;
};

}  // namespace finbowl
