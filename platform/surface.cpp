#include "platform/surface.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdint>

namespace finbowl {

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  const Copy copy = ClipCopy(dst.Bounds(), {x, y, w, h}, src.Bounds(), sx, sy);
  if (!copy.to.empty()) {
    dst.Blit(copy, src, op);
  }
}

void PasteSprite(Surface& dst, int x, int y, int w, int h, const SpriteSheet& sheet, int sx, int sy,
                 int maskDy) {
  // The rows of the sheet whose mask, maskDy rows further down, is in the sheet too.
  const std::int64_t top = std::max<std::int64_t>(0, -std::int64_t{maskDy});
  const std::int64_t bottom =
      std::min<std::int64_t>(sheet.Height(), sheet.Height() - std::int64_t{maskDy});
  if (bottom <= top) {
    return;
  }
  const Rect sprites = {0, static_cast<int>(top), sheet.Width(), static_cast<int>(bottom - top)};
  const Copy copy = ClipCopy(dst.Bounds(), {x, y, w, h}, sprites, sx, sy);
  if (!copy.to.empty()) {
    dst.Paste(copy, sheet, maskDy);
  }
}

std::unique_ptr<DrawingPlatform> CreateDrawingPlatform() {
  // FINBOWL_DRAWING=memory keeps the frames in the program even under X11, to
  // compare the two ways of drawing.
  if (qgetenv("FINBOWL_DRAWING") != "memory" &&
      QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (auto x11 = CreateX11Platform()) {
      return x11;
    }
  }
  return CreateMemoryPlatform();
}

bool VisibleSurface::event(QEvent* event) {
  // The top-level window exists once the tank is first shown; from then on
  // its events say whether it can be seen.
  if (event->type() == QEvent::Show && !watched_) {
    if (QWindow* handle = window()->windowHandle()) {
      watched_ = handle;
      handle->installEventFilter(this);
    }
  }
  return QWidget::event(event);
}

bool VisibleSurface::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watched_.data() &&
      (event->type() == QEvent::Expose || event->type() == QEvent::WindowStateChange)) {
    // The window's own state is already the new one when its event arrives.
    minimised_ = watched_->windowStates().testFlag(Qt::WindowMinimized);
    unexposed_ = !watched_->isExposed();
  }
  return false;
}

}  // namespace finbowl
