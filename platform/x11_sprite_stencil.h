#pragma once

#include <xcb/xcb.h>

#include <QImage>
#include <vector>

#include "platform/blit_rect.h"

namespace finbowl {

class X11Platform;

// A sheet of sprites whose masks lie (maskDx, maskDy) from their colours, as a
// clip on the X server that lets through the pixels whose masks are black.
// Where every mask pixel of a sprite is black, or white over a white colour,
// pasting it (SrcErase of the mask, then SrcInvert of the colours) leaves the
// colour where the mask is black and the destination elsewhere: exactly a
// plain copy of the colours through that clip. The server does such a copy
// at a fraction of the cost of the two raster copies, which take its slow
// generic path; a sprite with any other mask pixel is not a plain copy.
class X11SpriteStencil {
 public:
  X11SpriteStencil(const X11Platform& platform, const QImage& picture, int maskDx, int maskDy);
  ~X11SpriteStencil();
  X11SpriteStencil(const X11SpriteStencil&) = delete;
  X11SpriteStencil& operator=(const X11SpriteStencil&) = delete;

  // Whether the paste of the colours at `colour`, with masks at this sheet's
  // offset, is the plain copy: both lie within the picture and no mask pixel
  // there is of another kind. False when the server could not take the clip.
  bool Pastes(const BlitRect& colour, int maskDx, int maskDy) const;
  // The plain copy, from `sheet` (the picture's pixels) onto `dst`.
  void Paste(xcb_drawable_t dst, xcb_drawable_t sheet, const BlitRect& colour);

 private:
  // The columns, from first to last, of a row's mixed pixels: those whose
  // masks are neither black nor white over white. first > last when none.
  struct MixedSpan {
    int first = 0, last = -1;
  };

  void Upload(const std::vector<std::uint8_t>& bits, int rowBytes);

  const X11Platform& x11_;
  int width_ = 0, height_ = 0;
  int maskDx_ = 0, maskDy_ = 0;
  std::vector<MixedSpan> mixed_;     // one per row of the picture
  std::vector<int> mixedRowsAbove_;  // rows with mixed pixels above each row
  bool anyMixed_ = false;            // so pure sheets never read the two above
  xcb_gcontext_t gc_ = 0;            // GXcopy through the clip, 0 when there is none
  int originX_ = 0, originY_ = 0;
};

}  // namespace finbowl
