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
  // FINBOWL_DRAWING=memory leaves the tank to the toolkit's painting on every
  // windowing system, to compare the ways of drawing.
  if (qgetenv("FINBOWL_DRAWING") != "memory") {
    const QString system = QGuiApplication::platformName();
    auto native = system == QLatin1String("xcb")                ? CreateX11Platform()
                  : system.startsWith(QLatin1String("wayland")) ? CreateWaylandPlatform()
                                                                : nullptr;
    if (native) {
      return native;
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
