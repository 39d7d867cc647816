#include "platform/surface.h"

#include <atomic>

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

}  // namespace finbowl
