#include "platform/memory_surface.h"

namespace finbowl {

std::unique_ptr<DrawingPlatform> CreateDrawingPlatform() {
  return std::make_unique<MemoryPlatform>();
}

}  // namespace finbowl
