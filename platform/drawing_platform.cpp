#include <QGuiApplication>

#include "platform/memory_surface.h"
#include "platform/x11/x11_drawing.h"

namespace finbowl {

std::unique_ptr<DrawingPlatform> CreateDrawingPlatform() {
  // FINBOWL_DRAWING=memory keeps the frames in the program even under X11, to
  // compare the two ways of drawing.
  const bool memoryWanted = qgetenv("FINBOWL_DRAWING") == "memory";
  if (!memoryWanted && QGuiApplication::platformName() == QLatin1String("xcb")) {
    if (auto x11 = CreateX11DrawingPlatform()) {
      return x11;
    }
  }
  return std::make_unique<MemoryPlatform>();
}

}  // namespace finbowl
