#include "platform/surface.h"

#include <algorithm>
#include <atomic>
#include <climits>

namespace finbowl {
namespace {

std::uint64_t NextSurfaceId() {
  static std::atomic<std::uint64_t> next{1};
  return next++;
}

bool IsWholeCopy(const Surface& dst, const BlitRect& r, const Surface& src, RasterOp op) {
  return op == RasterOp::SrcCopy && &src != &dst && r.x == 0 && r.y == 0 && r.sx == 0 &&
         r.sy == 0 && r.w == dst.Width() && r.h == dst.Height() && src.Width() == dst.Width() &&
         src.Height() == dst.Height();
}

int SaturatingAdd(int a, int b) {
  return static_cast<int>(std::clamp(static_cast<long long>(a) + b, static_cast<long long>(INT_MIN),
                                     static_cast<long long>(INT_MAX)));
}

}  // namespace

Surface::Surface(const DrawingPlatform& platform) : platform_(platform), id_(NextSurfaceId()) {}

void Surface::SetSize(int w, int h) {
  WillWrite();
  Rebuild(w, h);
  changes_.RecordEverything();
}

void Surface::Mirror(const Surface& src, const AreaSet& parts) {
  for (const Area& area : parts) {
    Blit({area.x, area.y, area.x, area.y, area.w, area.h}, src, RasterOp::SrcCopy);
  }
}

void Surface::BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) {
  BlitRect mask = colour;
  mask.sx += maskDx;
  mask.sy += maskDy;
  Blit(mask, src, RasterOp::SrcErase);
  Blit(colour, src, RasterOp::SrcInvert);
}

void CopyWholeSurface(Surface& dst, const Surface& src) {
  AreaSet stale;
  bool known = dst.mirror_.source == src.id_;
  if (known) {
    const auto add = [&stale](const Area& area) { stale.Add(area); };
    known = src.changes_.ForEachSince(dst.mirror_.sourceGeneration, add) &&
            dst.changes_.ForEachSince(dst.mirror_.ownGeneration, add) && !stale.overflowed() &&
            stale.TotalPixels() < static_cast<long long>(dst.Width()) * dst.Height() / 2;
  }
  dst.WillWrite();
  if (known) {
    dst.Mirror(src, stale);
    for (const Area& area : stale) {
      dst.changes_.Record(area);
    }
  } else {
    AreaSet all;
    all.Add({0, 0, dst.Width(), dst.Height()});
    dst.Mirror(src, all);
    dst.changes_.RecordEverything();
  }
  dst.mirror_ = {src.id_, src.changes_.Generation(), dst.changes_.Generation()};
}

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  if (&dst.Platform() != &src.Platform()) {
    return;
  }
  const BlitRect rect =
      ClipBlit(dst.Width(), dst.Height(), x, y, w, h, src.Width(), src.Height(), sx, sy);
  if (rect.empty()) {
    return;
  }
  if (IsWholeCopy(dst, rect, src, op)) {
    CopyWholeSurface(dst, src);
    return;
  }
  dst.WillWrite();
  dst.Blit(rect, src, op);
  dst.changes_.Record({rect.x, rect.y, rect.w, rect.h});
}

void PasteSprite(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
                 int maskDx, int maskDy) {
  if (&dst.Platform() != &src.Platform()) {
    return;
  }
  const BlitRect colour =
      ClipBlit(dst.Width(), dst.Height(), x, y, w, h, src.Width(), src.Height(), sx, sy);
  const int maskX = SaturatingAdd(sx, maskDx), maskY = SaturatingAdd(sy, maskDy);
  const BlitRect mask =
      ClipBlit(dst.Width(), dst.Height(), x, y, w, h, src.Width(), src.Height(), maskX, maskY);
  // Onto the sheet itself, the mask's copy changes the colours the second copy
  // reads; a mask clipped unlike its colours covers other pixels. Both are
  // left to the two copies, one after the other.
  const bool alike =
      colour.x == mask.x && colour.y == mask.y && colour.w == mask.w && colour.h == mask.h;
  if (&dst == &src || !alike) {
    BitBlt(dst, x, y, w, h, src, maskX, maskY, RasterOp::SrcErase);
    BitBlt(dst, x, y, w, h, src, sx, sy, RasterOp::SrcInvert);
    return;
  }
  if (colour.empty()) {
    return;
  }
  dst.WillWrite();
  dst.BlitSprite(colour, src, maskDx, maskDy);
  dst.changes_.Record({colour.x, colour.y, colour.w, colour.h});
}

}  // namespace finbowl
