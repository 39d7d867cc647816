#pragma once

namespace finbowl {

// A copy of a w x h rectangle from (sx, sy) of a source to (x, y) of a
// destination, cut down to the part that lies inside both surfaces. Parts of
// the rectangle outside either surface are simply not copied, so the
// destination keeps its pixels there.
struct BlitRect {
  int x = 0, y = 0;    // destination corner
  int sx = 0, sy = 0;  // matching source corner
  int w = 0, h = 0;    // 0 when nothing is left
  bool empty() const { return w <= 0 || h <= 0; }
};

// Clips a copy against a destination of dw x dh and a source of sw x sh pixels.
// Safe for any int arguments: negative sizes and far-away corners give an empty
// rectangle, and no intermediate sum can overflow.
BlitRect ClipBlit(int dw, int dh, int x, int y, int w, int h, int sw, int sh, int sx, int sy);

}  // namespace finbowl
