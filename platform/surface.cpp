#include "platform/surface.h"

#include <QEvent>
#include <QWindow>
#include <algorithm>
#include <climits>

namespace finbowl {
namespace {

int SaturatingAdd(int a, int b) {
  return static_cast<int>(std::clamp(static_cast<long long>(a) + b, static_cast<long long>(INT_MIN),
                                     static_cast<long long>(INT_MAX)));
}

}  // namespace

void Surface::BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) {
  BlitRect mask = colour;
  mask.sx += maskDx;
  mask.sy += maskDy;
  Blit(mask, src, RasterOp::SrcErase);
  Blit(colour, src, RasterOp::SrcInvert);
}

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
  } else if (!colour.empty()) {
    dst.BlitSprite(colour, src, maskDx, maskDy);
  }
}

void VisibleSurface::Refresh(const AreaSet& changed) {
  if (!CanBeSeen()) {
    return;
  }
  if (changed.CoversEverything()) {
    RefreshWhole();
  } else {
    RefreshParts(changed);
  }
}

bool VisibleSurface::event(QEvent* event) {
  // The top-level window exists once the tank is first shown; from then on
  // its events say whether it can be seen.
  if (event->type() == QEvent::Show && !watchedWindow_) {
    if (QWindow* handle = window()->windowHandle()) {
      watchedWindow_ = handle;
      handle->installEventFilter(this);
    }
  }
  return QWidget::event(event);
}

bool VisibleSurface::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedWindow_.data() &&
      (event->type() == QEvent::Expose || event->type() == QEvent::WindowStateChange)) {
    // The window's own state is already the new one when its event arrives.
    const auto* handle = static_cast<const QWindow*>(watched);
    SetState(handle->windowStates().testFlag(Qt::WindowMinimized), !handle->isExposed(), covered_);
  }
  return false;
}

void VisibleSurface::SetCovered(bool covered) {
  SetState(minimised_, unexposed_, covered);
}

void VisibleSurface::SetState(bool minimised, bool unexposed, bool covered) {
  const bool wasSeen = CanBeSeen();
  minimised_ = minimised;
  unexposed_ = unexposed;
  covered_ = covered;
  if (!wasSeen && CanBeSeen()) {
    if (catchUp_) {
      catchUp_();
    }
    RefreshWhole();
  }
}

}  // namespace finbowl
