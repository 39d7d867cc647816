#include "platform/surface.h"

#include <QGuiApplication>
#include <QWindow>

namespace finbowl {

void BitBlt(Surface& dst, int x, int y, int w, int h, const Surface& src, int sx, int sy,
            RasterOp op) {
  const Copy copy = ClipCopy(dst.Bounds(), {x, y, w, h}, src.Bounds(), sx, sy);
  if (!copy.to.empty()) {
    dst.Blit(copy, src, op);
  }
}

void PasteSprite(Surface& dst, int x, int y, int w, int h, const SpriteSheet& sheet, int sx,
                 int sy) {
  const Copy copy =
      ClipCopy(dst.Bounds(), {x, y, w, h}, {0, 0, sheet.width, sheet.height / 2}, sx, sy);
  if (!copy.to.empty()) {
    dst.Paste(copy, sheet);
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

VisibleSurface::VisibleSurface(QWidget* parent, const Surface& frame,
                               std::function<void()> complete)
    : QWidget(parent), frame_(frame), complete_(std::move(complete)) {
  resize(frame.Width(), frame.Height());
}

const Surface& VisibleSurface::CompleteFrame() {
  complete_();
  return frame_;
}

bool VisibleSurface::CanBeSeen() {
  // A window never shown has no handle yet; its tank draws like any widget.
  const QWindow* shown = window()->windowHandle();
  return !covered_ &&
         (!shown || (shown->isExposed() && !shown->windowStates().testFlag(Qt::WindowMinimized)));
}

}  // namespace finbowl
