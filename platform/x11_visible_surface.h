#pragma once

#include "platform/surface.h"

namespace finbowl {

class X11Platform;

// The visible tank as a native child window on the X server.
VisibleSurface* CreateX11VisibleSurface(const X11Platform& platform, QWidget* parent, int w, int h,
                                        const QImage* picture);

}  // namespace finbowl
