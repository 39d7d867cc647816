#include "platform/surface.h"

namespace finbowl {

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  if (&dst.Platform() != &src.Platform()) {
    return;
  }
  const BlitRect rect =
      ClipBlit(dst.Width(), dst.Height(), x, y, w, h, src.Width(), src.Height(), sx, sy);
  if (!rect.empty()) {
    dst.Blit(rect, src, op);
  }
}

}  // namespace finbowl
