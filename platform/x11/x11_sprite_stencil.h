#pragma once

#include <xcb/render.h>

#include <QImage>
#include <memory>

#include "platform/blit_rect.h"

namespace finbowl {

class X11Platform;

// A sheet of sprites whose lower half holds the masks of the upper half, with
// those masks as an alpha mask on the X server: opaque where a mask is black.
// Where every mask pixel is black, or white over a white colour, pasting a
// sprite (SrcErase of the mask, then SrcInvert of the colours) leaves the
// colour where the mask is black and the destination elsewhere: exactly the
// colours laid over the destination through that alpha mask. The server does
// that in one request on its fast path, where the two raster copies take its
// slow generic one. All our sheets are like this.
class X11SpriteStencil {
 public:
  // The stencil of `picture`, or none when its lower half is not such masks.
  static std::unique_ptr<X11SpriteStencil> For(const X11Platform& platform, const QImage& picture);
  ~X11SpriteStencil();
  X11SpriteStencil(const X11SpriteStencil&) = delete;
  X11SpriteStencil& operator=(const X11SpriteStencil&) = delete;

  // Whether pasting the colours at `colour`, with their masks (maskDx, maskDy)
  // from them, is the laying over: the colours lie in the upper half and the
  // masks where the stencil has them.
  bool Pastes(const BlitRect& colour, int maskDx, int maskDy) const;
  // Lays the colours of `sheet` (the picture's pixels) over `dst`.
  void Paste(xcb_render_picture_t dst, xcb_render_picture_t sheet, const BlitRect& colour) const;

 private:
  X11SpriteStencil(const X11Platform& platform, int width, int half, xcb_render_picture_t mask)
      : x11_(platform), width_(width), half_(half), mask_(mask) {}

  const X11Platform& x11_;
  int width_, half_;
  xcb_render_picture_t mask_;
};

}  // namespace finbowl
