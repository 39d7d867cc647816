#pragma once

#include <memory>

#include "platform/surface.h"

namespace finbowl {

// Surfaces on the X server when the program runs on X11 and the server can
// take them; otherwise nothing.
std::unique_ptr<DrawingPlatform> CreateX11DrawingPlatform();

}  // namespace finbowl
