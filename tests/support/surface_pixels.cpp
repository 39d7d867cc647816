#include <cstdlib>
#include <cstring>

#include "platform/memory_surface.h"
#include "platform/x11/x11_platform.h"
#include "support/tank_peer.h"

namespace finbowl::testing {

QImage ReadSurface(const Surface& surface) {
  if (const auto* memory = dynamic_cast<const MemorySurface*>(&surface)) {
    return memory->image;
  }
  const auto& x11 = dynamic_cast<const X11Surface&>(surface);
  xcb_connection_t* c = x11.x11.connection();
  QImage image(x11.Width(), x11.Height(), QImage::Format_RGB32);
  image.fill(Qt::black);
  xcb_get_image_reply_t* reply =
      xcb_get_image_reply(c,
                          xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, x11.pixmap, 0, 0,
                                        Size(image.width()), Size(image.height()), ~0u),
                          nullptr);
  if (reply && image.sizeInBytes() > 0 && xcb_get_image_data_length(reply) == image.sizeInBytes()) {
    std::memcpy(image.bits(), xcb_get_image_data(reply),
                static_cast<std::size_t>(image.sizeInBytes()));
  }
  std::free(reply);
  return image;
}

}  // namespace finbowl::testing
