// The design floor of Finbowl's X11 path: a bare xcb client with no toolkit
// that sends Finbowl's own recorded frames with the requests Finbowl makes,
// ten times a second. The bare tank and the composed frame live in pixmaps
// (back and work) and each sheet in an ARGB picture whose alpha is its mask;
// a frame copies the wiped parts from back to work, composites each sprite
// over work, copies the presented parts from work to the window, and
// flushes once. What Finbowl costs above this is its own doing.
//   finbowl_x11_floor RECORDING [FRAMES]   (on $DISPLAY; FRAMES: stop after so many)
#include <poll.h>
#include <unistd.h>
#include <xcb/render.h>
#include <xcb/xcb.h>
#include <xcb/xcb_renderutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/floor_main.h"

namespace finbowl::floors {
namespace {

auto At(int v) {
  return static_cast<std::int16_t>(v);
}
auto Size(int v) {
  return static_cast<std::uint16_t>(v);
}

// `pixels` into a new pixmap of `depth`, a band of rows per request so that
// none outgrows what a server takes without big requests.
xcb_pixmap_t Upload(xcb_connection_t* c, xcb_drawable_t root, std::uint8_t depth,
                    const Pixels& pixels) {
  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  xcb_create_pixmap(c, depth, pixmap, root, Size(pixels.width), Size(pixels.height));
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, pixmap, 0, nullptr);
  const int band = std::max(1, 16384 / pixels.width);
  for (int top = 0; top < pixels.height; top += band) {
    const int rows = std::min(band, pixels.height - top);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, Size(pixels.width), Size(rows), 0,
                  At(top), 0, depth, static_cast<std::uint32_t>(pixels.width * rows * 4),
                  reinterpret_cast<const std::uint8_t*>(
                      pixels.data.data() + static_cast<std::size_t>(top * pixels.width)));
  }
  xcb_free_gc(c, gc);
  return pixmap;
}

int Run(const Recording& recording, long frames) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "finbowl_x11_floor: cannot open the display\n");
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const auto* formats = xcb_render_util_query_formats(c);
  const auto* visual =
      formats ? xcb_render_util_find_visual_format(formats, screen->root_visual) : nullptr;
  const auto* argb =
      formats ? xcb_render_util_find_standard_format(formats, XCB_PICT_STANDARD_ARGB_32) : nullptr;
  // The pixels go up as they are, as 32-bit words of 0xAARRGGBB.
  if (screen->root_depth != 24 || !visual || !argb ||
      xcb_get_setup(c)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
    std::fprintf(stderr, "finbowl_x11_floor: needs a 24-bit screen with Render\n");
    return 1;
  }
  const int w = recording.tank.width, h = recording.tank.height;

  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t events[] = {XCB_EVENT_MASK_EXPOSURE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, Size(w), Size(h), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, events);
  static constexpr char kTitle[] = "Finbowl floor";
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      sizeof kTitle - 1, kTitle);
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const std::uint32_t noExposures[] = {0};
  xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, noExposures);

  const xcb_pixmap_t back = Upload(c, window, 24, recording.tank);
  const xcb_pixmap_t work = Upload(c, window, 24, recording.tank);
  const xcb_render_picture_t workPicture = xcb_generate_id(c);
  xcb_render_create_picture(c, workPicture, work, visual->format, 0, nullptr);
  std::vector<xcb_render_picture_t> sheets;
  for (const Pixels& sheet : recording.sheets) {
    const xcb_pixmap_t pixmap = Upload(c, window, 32, sheet);
    sheets.push_back(xcb_generate_id(c));
    xcb_render_create_picture(c, sheets.back(), pixmap, argb->id, 0, nullptr);
    xcb_free_pixmap(c, pixmap);
  }
  xcb_map_window(c, window);
  xcb_flush(c);

  const int timer = FrameTimer();
  pollfd fds[] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {timer, POLLIN, 0}};
  std::size_t next = 0;
  for (long shown = 0; (frames < 0 || shown < frames) && !xcb_connection_has_error(c);) {
    poll(fds, 2, -1);
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
      // Whatever the server lost goes back whole, from work, as Finbowl does.
      if ((event->response_type & 0x7F) == XCB_EXPOSE) {
        xcb_copy_area(c, work, window, gc, 0, 0, 0, 0, Size(w), Size(h));
        xcb_flush(c);
      }
      std::free(event);
    }
    std::uint64_t ticks = 0;
    if (!(fds[1].revents & POLLIN) || read(timer, &ticks, sizeof ticks) != sizeof ticks) {
      continue;
    }
    // One frame a wake-up, however late, as a toolkit's timer gives it.
    const RecordedFrame& frame = recording.frames[next];
    next = (next + 1) % recording.frames.size();
    for (const Rect& r : frame.wiped) {
      xcb_copy_area(c, back, work, gc, At(r.x), At(r.y), At(r.x), At(r.y), Size(r.w), Size(r.h));
    }
    for (const Paste& p : frame.pastes) {
      xcb_render_composite(c, XCB_RENDER_PICT_OP_OVER, sheets[static_cast<std::size_t>(p.sheet)],
                           XCB_RENDER_PICTURE_NONE, workPicture, At(p.sx), At(p.sy), 0, 0,
                           At(p.to.x), At(p.to.y), Size(p.to.w), Size(p.to.h));
    }
    for (const Rect& r : frame.presented) {
      xcb_copy_area(c, work, window, gc, At(r.x), At(r.y), At(r.x), At(r.y), Size(r.w), Size(r.h));
    }
    xcb_flush(c);
    ++shown;
  }
  const bool broken = xcb_connection_has_error(c) != 0;
  xcb_disconnect(c);
  return broken ? 1 : 0;
}

}  // namespace
}  // namespace finbowl::floors

int main(int argc, char** argv) {
  return finbowl::floors::FloorMain(argc, argv, finbowl::floors::Run);
}
