#include <fcntl.h>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "fractional-scale-v1-client-protocol.h"
#include "platform/memory_surface.h"
#include "platform/rect_set.h"
#include "viewporter-client-protocol.h"

namespace finbowl {
namespace {

template <typename T>
void Destroy(T*& proxy, void (*destroy)(T*)) {
  if (proxy) {
    destroy(proxy);
    proxy = nullptr;
  }
}

// The compositor's objects the tank needs, bound on an event queue of our
// own: the toolkit's threads read the connection, but only we dispatch what
// comes for these, on the main thread, when a frame wants it. The globals
// come in with the first frames; there is no round trip to wait on.
struct Globals {
  explicit Globals(wl_display* connection)
      : display(connection), queue(wl_display_create_queue(connection)) {
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(connection));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &kRegistryListener, this);
    wl_display_flush(display);
  }
  ~Globals() {
    Destroy(subcompositor, wl_subcompositor_destroy);
    Destroy(viewporter, wp_viewporter_destroy);
    Destroy(fractionalScales, wp_fractional_scale_manager_v1_destroy);
    Destroy(compositor, wl_compositor_destroy);
    Destroy(shm, wl_shm_destroy);
    Destroy(registry, wl_registry_destroy);
    wl_display_flush(display);
    wl_event_queue_destroy(queue);
  }
  // What a subsurface with buffers damaged in their own pixels needs.
  bool Offered() const { return compositor && subcompositor && shm; }

  wl_display* const display;
  wl_event_queue* const queue;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_subcompositor* subcompositor = nullptr;
  wl_shm* shm = nullptr;
  wp_viewporter* viewporter = nullptr;
  wp_fractional_scale_manager_v1* fractionalScales = nullptr;

  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* type,
                     std::uint32_t version) {
    auto* self = static_cast<Globals*>(data);
    // damage_buffer came with version 4 of the compositor's surfaces.
    const std::tuple<void**, const wl_interface*, std::uint32_t> wanted[] = {
        {reinterpret_cast<void**>(&self->compositor), &wl_compositor_interface, 4},
        {reinterpret_cast<void**>(&self->subcompositor), &wl_subcompositor_interface, 1},
        {reinterpret_cast<void**>(&self->shm), &wl_shm_interface, 1},
        {reinterpret_cast<void**>(&self->viewporter), &wp_viewporter_interface, 1},
        {reinterpret_cast<void**>(&self->fractionalScales),
         &wp_fractional_scale_manager_v1_interface, 1}};
    for (const auto& [to, interface, least] : wanted) {
      if (!*to && std::strcmp(type, interface->name) == 0 && version >= least) {
        *to = wl_registry_bind(registry, name, interface, least);
      }
    }
  }
  static constexpr wl_registry_listener kRegistryListener = {
      Global, [](void*, wl_registry*, std::uint32_t) {}};
};

// Surfaces in memory, and the tank on a surface of its own.
struct WaylandPlatform final : MemoryPlatform {
  explicit WaylandPlatform(wl_display* display) : globals(display) {}
  std::unique_ptr<VisibleSurface> CreateVisibleSurface(QWidget* parent, const Surface& frame,
                                                       std::function<void()> complete) override;
  Globals globals;
};

// One buffer of the pool: the frame at the screen's pixels, and where it
// differs from the frame last presented (the parts of every frame presented
// since it was last attached).
struct Buffer {
  wl_buffer* buffer = nullptr;
  std::unique_ptr<MemorySurface> pixels;
  RectSet stale;
  bool busy = false;  // the compositor reads it until it says otherwise
};

// The visible tank as a desynchronised subsurface of the window's surface at
// the client area's corner, showing buffers of its own, each brought up to
// date from the frame only where it is stale. A frame is drawn only once the
// compositor has asked for one since the last commit, so a window that
// cannot be seen costs it nothing. Until the subsurface exists, and where the
// compositor or the toolkit cannot give one, the toolkit paints the tank.
class WaylandTank final : public MemoryVisibleSurface {
 public:
  WaylandTank(Globals& globals, QWidget* parent, const Surface& frame,
              std::function<void()> complete)
      : MemoryVisibleSurface(parent, frame, std::move(complete)), wayland_(globals) {}
  ~WaylandTank() override {
    Destroy(subsurface_, wl_subsurface_destroy);
    DropBuffers();
    Destroy(callback_, wl_callback_destroy);
    Destroy(fractional_, wp_fractional_scale_v1_destroy);
    Destroy(viewport_, wp_viewport_destroy);
    Destroy(surface_, wl_surface_destroy);
    wl_display_flush(wayland_.display);
  }

  bool CanBeSeen() override {
    if (!VisibleSurface::CanBeSeen()) {
      return false;
    }
    if (wl_display_dispatch_queue_pending(wayland_.display, wayland_.queue) < 0) {
      return false;  // the compositor has gone; the toolkit says so and ends
    }
    return !Attach() || (asked_ && FreeBuffer());
  }

  void Present(std::span<const Rect> parts) override {
    if (subsurface_) {
      Scale();
    }
    Buffer* to = subsurface_ && !placing_ ? FreeBuffer() : nullptr;
    if (!to) {
      MemoryVisibleSurface::Present(parts);
      if (std::exchange(placing_, false)) {
        // A new place takes effect with the window's next commit. Content
        // committed before it would show for a moment at the old place on
        // compositors that show a desynchronised subsurface at once, so
        // this frame is the toolkit's to paint, with the whole tank.
        update();
      }
      return;
    }
    for (Buffer& buffer : buffers_) {
      for (const Rect& part : parts) {
        buffer.stale.Add(part);
      }
    }
    // The buffer takes every part it missed; the surface changes from the
    // last commit only in this frame's parts, unless all is new to it.
    const Rect whole = frame_.Bounds();
    const bool fresh = to->stale.CoversEverything();
    for (const Rect& part : fresh ? std::span(&whole, 1) : to->stale.Rects()) {
      Bring(*to, Magnified(part.Intersected(whole)));
    }
    for (const Rect& part : fresh ? std::span(&whole, 1) : parts) {
      const Rect on = Magnified(part.Intersected(whole));
      wl_surface_damage_buffer(surface_, on.x, on.y, on.w, on.h);
    }
    to->stale.Clear();
    to->busy = true;
    wl_surface_attach(surface_, to->buffer, 0, 0);
    callback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(callback_, &kFrameListener, this);
    asked_ = false;
    wl_surface_commit(surface_);
    wl_display_flush(wayland_.display);
    if (std::exchange(parentStale_, false)) {
      // The subsurface's place, and on some compositors its first content,
      // take effect with the window's own next commit.
      update();
    }
  }

 private:
  // Makes the subsurface on the window's current surface, or keeps it;
  // whether there is one.
  bool Attach() {
    QWindow* top = window()->windowHandle();
    auto* parent = static_cast<wl_surface*>(
        top ? QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", top)
            : nullptr);
    if (parent != parent_) {
      Detach();
      parent_ = parent;
      if (parent && wayland_.Offered()) {
        if (!surface_) {
          surface_ = wl_compositor_create_surface(wayland_.compositor);
          // Opaque, so the compositor need not draw the window under it, and
          // taking no input, so the pointer reaches the window as before.
          wl_region* all = wl_compositor_create_region(wayland_.compositor);
          wl_region* none = wl_compositor_create_region(wayland_.compositor);
          wl_region_add(all, 0, 0, INT32_MAX, INT32_MAX);
          wl_surface_set_opaque_region(surface_, all);
          wl_surface_set_input_region(surface_, none);
          wl_region_destroy(all);
          wl_region_destroy(none);
          if (wayland_.viewporter) {
            viewport_ = wp_viewporter_get_viewport(wayland_.viewporter, surface_);
          }
          if (wayland_.fractionalScales) {
            fractional_ = wp_fractional_scale_manager_v1_get_fractional_scale(
                wayland_.fractionalScales, surface_);
            wp_fractional_scale_v1_add_listener(fractional_, &kScaleListener, this);
          }
        }
        subsurface_ = wl_subcompositor_get_subsurface(wayland_.subcompositor, surface_, parent);
        wl_subsurface_set_desync(subsurface_);
        // A frame asked for on a surface that was unmapped never comes.
        Destroy(callback_, wl_callback_destroy);
        asked_ = true;
        at_ = QPoint(-1, -1);
        for (Buffer& buffer : buffers_) {
          buffer.stale.AddEverything();
        }
      }
    }
    return subsurface_ != nullptr;
  }

  // Leaves the tank to the toolkit's painting.
  void Detach() {
    if (subsurface_) {
      Destroy(subsurface_, wl_subsurface_destroy);
      update();
    }
  }

  // The toolkit destroys a hidden window's surface and may make the next one
  // where the last one was; a subsurface of the old one shows nothing.
  void hideEvent(QHideEvent* event) override {
    Detach();
    parent_ = nullptr;
    MemoryVisibleSurface::hideEvent(event);
  }

  // A buffer the compositor is not reading, or the first before any is made.
  Buffer* FreeBuffer() {
    auto free = std::find_if(buffers_.begin(), buffers_.end(), [](auto& b) { return !b.busy; });
    return free == buffers_.end() ? nullptr : &*free;
  }

  // Follows the screen's scale and the client area's place in the window's
  // surface, in the compositor's units: the toolkit's frame margins and the
  // tank's place, scaled by any factor of the toolkit's own.
  void Scale() {
    const QPlatformWindow* native = window()->windowHandle()->handle();
    const double own = native->devicePixelRatio();
    const double toolkit = window()->windowHandle()->devicePixelRatio() / own;
    double device = preferred_ > 0 ? preferred_ / 120.0 : own;
    const bool whole = device == std::floor(device);
    if (!whole && !viewport_) {
      device = std::ceil(device);
    }
    const QPoint at = QPoint(native->frameMargins().left(), native->frameMargins().top()) +
                      (mapTo(window(), QPoint()).toPointF() * toolkit).toPoint();
    if (at != at_) {
      wl_subsurface_set_position(subsurface_, at.x(), at.y());
      at_ = at;
      placing_ = true;
      parentStale_ = true;
    }
    if (device * toolkit == magnified_ && buffers_[0].buffer) {
      return;
    }
    magnified_ = device * toolkit;
    const int integral = whole || !viewport_ ? static_cast<int>(device) : 1;
    wl_surface_set_buffer_scale(surface_, integral);
    if (viewport_) {
      const int w = whole ? -1 : static_cast<int>(std::lround(frame_.Width() * toolkit));
      const int h = whole ? -1 : static_cast<int>(std::lround(frame_.Height() * toolkit));
      wp_viewport_set_destination(viewport_, w, h);
    }
    MakeBuffers(static_cast<int>(std::lround(frame_.Width() * magnified_)),
                static_cast<int>(std::lround(frame_.Height() * magnified_)));
  }

  // Three buffers at the screen's pixels in one pool, all stale.
  void MakeBuffers(int w, int h) {
    DropBuffers();
    const std::size_t stride = std::size_t{4} * static_cast<std::size_t>(w);
    const std::size_t size = stride * static_cast<std::size_t>(h);
    poolSize_ = size * buffers_.size();
    const int fd = memfd_create("finbowl-tank", MFD_CLOEXEC);
    void* pool = fd < 0 || ftruncate(fd, static_cast<off_t>(poolSize_)) != 0
                     ? MAP_FAILED
                     : mmap(nullptr, poolSize_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pool == MAP_FAILED) {
      Detach();  // the toolkit paints the tank
    } else {
      pool_ = pool;
      wl_shm_pool* shared =
          wl_shm_create_pool(wayland_.shm, fd, static_cast<std::int32_t>(poolSize_));
      for (std::size_t i = 0; i < buffers_.size(); ++i) {
        Buffer& b = buffers_[i];
        uchar* at = static_cast<uchar*>(pool_) + i * size;
        b.buffer =
            wl_shm_pool_create_buffer(shared, static_cast<std::int32_t>(i * size), w, h,
                                      static_cast<std::int32_t>(stride), WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(b.buffer, &kBufferListener, &b);
        b.pixels = std::make_unique<MemorySurface>(
            QImage(at, w, h, static_cast<qsizetype>(stride), QImage::Format_RGB32));
        b.stale.AddEverything();
      }
      wl_shm_pool_destroy(shared);
    }
    if (fd >= 0) {
      ::close(fd);
    }
  }

  void DropBuffers() {
    for (Buffer& b : buffers_) {
      if (b.buffer) {
        wl_buffer_destroy(b.buffer);
      }
      b = Buffer();
    }
    if (pool_) {
      munmap(pool_, poolSize_);
      pool_ = nullptr;
    }
  }

  // The buffer's pixels that a part of the frame touches, even in part.
  Rect Magnified(const Rect& part) const {
    const double m = magnified_;
    const int left = static_cast<int>(std::floor(part.x * m));
    const int top = static_cast<int>(std::floor(part.y * m));
    return {left, top, static_cast<int>(std::ceil((part.x + part.w) * m)) - left,
            static_cast<int>(std::ceil((part.y + part.h) * m)) - top};
  }

  // Brings the buffer's pixels `on` up to date from the frame: each takes
  // the frame's pixel under its centre.
  void Bring(Buffer& to, const Rect& on) {
    if (magnified_ == 1.0) {
      BitBlt(*to.pixels, on.x, on.y, on.w, on.h, frame_, on.x, on.y, RasterOp::SrcCopy);
      return;
    }
    const QImage& from = static_cast<const MemorySurface&>(frame_).image;
    QImage& into = to.pixels->image;
    const Rect cut = on.Intersected(to.pixels->Bounds());
    for (int y = cut.y; y < cut.y + cut.h; ++y) {
      const int sy = std::min(from.height() - 1, static_cast<int>((y + 0.5) / magnified_));
      const auto* in = reinterpret_cast<const QRgb*>(from.constScanLine(sy));
      auto* out = reinterpret_cast<QRgb*>(into.scanLine(y));
      for (int x = cut.x; x < cut.x + cut.w; ++x) {
        out[x] = in[std::min(from.width() - 1, static_cast<int>((x + 0.5) / magnified_))];
      }
    }
  }

  Globals& wayland_;
  wl_surface* parent_ = nullptr;  // the window's, the toolkit's
  wl_surface* surface_ = nullptr;
  wl_subsurface* subsurface_ = nullptr;
  wp_viewport* viewport_ = nullptr;
  wp_fractional_scale_v1* fractional_ = nullptr;
  wl_callback* callback_ = nullptr;
  bool asked_ = true;         // a frame callback has come since the last commit
  bool parentStale_ = false;  // the window's surface has yet to commit our place
  bool placing_ = false;      // a new place, which no commit of the window has taken yet
  QPoint at_;
  int preferred_ = 0;     // the compositor's scale for the tank, in 120ths, if it gives one
  double magnified_ = 0;  // the buffers' pixels per pixel of the frame
  std::array<Buffer, 3> buffers_;
  void* pool_ = nullptr;
  std::size_t poolSize_ = 0;

  static constexpr wl_callback_listener kFrameListener = {
      [](void* data, wl_callback* callback, std::uint32_t) {
        auto* self = static_cast<WaylandTank*>(data);
        wl_callback_destroy(callback);
        self->callback_ = nullptr;
        self->asked_ = true;
      }};
  static constexpr wl_buffer_listener kBufferListener = {
      [](void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }};
  static constexpr wp_fractional_scale_v1_listener kScaleListener = {
      [](void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
        static_cast<WaylandTank*>(data)->preferred_ = static_cast<int>(scale);
      }};
};

std::unique_ptr<VisibleSurface> WaylandPlatform::CreateVisibleSurface(
    QWidget* parent, const Surface& frame, std::function<void()> complete) {
  return std::make_unique<WaylandTank>(globals, parent, frame, std::move(complete));
}

}  // namespace

std::unique_ptr<DrawingPlatform> CreateWaylandPlatform() {
  // The buffers hold 32-bit words 0xXXRRGGBB, as QImage's RGB32 does on a
  // little-endian machine only.
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto* display = static_cast<wl_display*>(
      native ? native->nativeResourceForIntegration("wl_display") : nullptr);
  if (std::endian::native != std::endian::little || !display) {
    return nullptr;
  }
  return std::make_unique<WaylandPlatform>(display);
}

}  // namespace finbowl
