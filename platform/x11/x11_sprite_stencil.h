#pragma once

#include <xcb/xcb.h>

#include <QImage>
#include <memory>

#include "platform/blit_rect.h"

namespace finbowl {

class X11Platform;

// A sheet of sprites whose lower half holds the masks of the upper half, as a
// clip on the X server that lets through the pixels whose masks are black.
// Where every mask pixel is black, or white over a white colour, pasting a
// sprite (SrcErase of the mask, then SrcInvert of the colours) leaves the
// colour where the mask is black and the destination elsewhere: exactly a
// plain copy of the colours through that clip. The server does such a copy
// at a fraction of the cost of the two raster copies, which take its slow
// generic path. All our sheets are like this.
class X11SpriteStencil {
 public:
  // The stencil of `picture`, or none when its lower half is not such masks.
  static std::unique_ptr<X11SpriteStencil> For(const X11Platform& platform, const QImage& picture);
  ~X11SpriteStencil();
  X11SpriteStencil(const X11SpriteStencil&) = delete;
  X11SpriteStencil& operator=(const X11SpriteStencil&) = delete;

  // Whether pasting the colours at `colour`, with their masks (maskDx, maskDy)
  // from them, is the plain copy: the colours lie in the upper half and the
  // masks where the stencil has them.
  bool Pastes(const BlitRect& colour, int maskDx, int maskDy) const;
  // The plain copy, from `sheet` (the picture's pixels) onto `dst`.
  void Paste(xcb_drawable_t dst, xcb_drawable_t sheet, const BlitRect& colour);

 private:
  X11SpriteStencil(const X11Platform& platform, int width, int half, xcb_gcontext_t gc)
      : x11_(platform), width_(width), half_(half), gc_(gc) {}

  const X11Platform& x11_;
  int width_, half_;
  xcb_gcontext_t gc_;  // GXcopy through the clip
  int originX_ = 0, originY_ = 0;
};

}  // namespace finbowl
