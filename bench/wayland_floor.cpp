// What Finbowl's frame design costs on Wayland with nothing in between: a
// bare client with no toolkit (libwayland-client, wl_shm, one xdg_toplevel
// of the tank's size) that replays Finbowl's own recorded frames ten times a
// second. Each frame is composed in a work image in memory (the wiped parts
// from the bare tank, the sprites over them through their masks); it is
// drawn only when the compositor has asked for a frame since the last
// commit, into one of three shm buffers that the compositor has released,
// which takes from work only the parts that changed since that buffer was
// last shown. Damage names the parts that changed since the last commit;
// one commit a frame.
//   finbowl_wayland_floor RECORDING [FRAMES]   (on $WAYLAND_DISPLAY; FRAMES: stop after so many)
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

#include "bench/floor_main.h"
#include "platform/rect_set.h"
#include "xdg-shell-client-protocol.h"

namespace finbowl::floors {
namespace {

struct Buffer {
  wl_buffer* buffer = nullptr;
  std::uint32_t* pixels = nullptr;
  bool busy = false;  // the compositor holds it
  RectSet stale;      // where it differs from work
};

class Floor {
 public:
  explicit Floor(const Recording& recording)
      : recording_(recording),
        width_(recording.tank.width),
        height_(recording.tank.height),
        work_(recording.tank.data) {
    for (Buffer& b : buffers_) {
      b.stale.AddEverything();
    }
    sinceCommit_.AddEverything();
  }

  bool Connect();
  // Plays frames until the compositor closes the window or `frames` are
  // drawn (any number when negative).
  int Run(long frames);

 private:
  void Tick();
  void Compose(const RecordedFrame& frame);
  void Draw();

  const Recording& recording_;
  const int width_, height_;
  std::vector<std::uint32_t> work_;
  wl_display* display_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  xdg_wm_base* shell_ = nullptr;
  wl_surface* surface_ = nullptr;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  wl_callback* frameAsked_ = nullptr;  // pending until the compositor wants the next frame
  bool configured_ = false;
  bool closed_ = false;
  std::array<Buffer, 3> buffers_;
  RectSet toWipe_;       // where work holds sprites of frames since composed
  RectSet sinceCommit_;  // what changed since the last commit
  const RecordedFrame* latest_ = nullptr;
  bool composed_ = true;  // work holds the latest frame
  std::size_t next_ = 0;
  long drawn_ = 0;
};

bool Floor::Connect() {
  display_ = wl_display_connect(nullptr);
  if (!display_) {
    std::fprintf(stderr, "finbowl_wayland_floor: no Wayland display\n");
    return false;
  }
  static wl_registry_listener registryListener{};
  registryListener.global = [](void* data, wl_registry* registry, std::uint32_t name,
                               const char* interface, std::uint32_t version) {
    auto* self = static_cast<Floor*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4) {
      self->compositor_ = static_cast<wl_compositor*>(
          wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
      self->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
      self->shell_ =
          static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    }
  };
  registryListener.global_remove = [](void*, wl_registry*, std::uint32_t) {};
  wl_registry_add_listener(wl_display_get_registry(display_), &registryListener, this);
  wl_display_roundtrip(display_);
  if (!compositor_ || !shm_ || !shell_) {
    std::fprintf(stderr, "finbowl_wayland_floor: the compositor lacks wl_shm or xdg-shell\n");
    return false;
  }
  static xdg_wm_base_listener shellListener{};
  shellListener.ping = [](void*, xdg_wm_base* shell, std::uint32_t serial) {
    xdg_wm_base_pong(shell, serial);
  };
  xdg_wm_base_add_listener(shell_, &shellListener, this);

  // Three buffers in one pool.
  const int stride = width_ * 4, size = stride * height_;
  const int fd = memfd_create("finbowl-floor", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, size * 3) != 0) {
    return false;
  }
  void* memory =
      mmap(nullptr, static_cast<std::size_t>(size) * 3, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, size * 3);
  static wl_buffer_listener bufferListener{};
  bufferListener.release = [](void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; };
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    Buffer& b = buffers_[i];
    b.pixels = static_cast<std::uint32_t*>(memory) + i * static_cast<std::size_t>(size / 4);
    b.buffer = wl_shm_pool_create_buffer(pool, static_cast<int>(i) * size, width_, height_, stride,
                                         WL_SHM_FORMAT_XRGB8888);
    wl_buffer_add_listener(b.buffer, &bufferListener, &b);
  }
  wl_shm_pool_destroy(pool);
  close(fd);

  surface_ = wl_compositor_create_surface(compositor_);
  xdgSurface_ = xdg_wm_base_get_xdg_surface(shell_, surface_);
  static xdg_surface_listener surfaceListener{};
  surfaceListener.configure = [](void* data, xdg_surface* surface, std::uint32_t serial) {
    auto* self = static_cast<Floor*>(data);
    xdg_surface_ack_configure(surface, serial);
    // The first configure asks for a buffer; later ones keep the one shown.
    if (!self->configured_) {
      self->configured_ = true;
      self->Draw();
    }
  };
  xdg_surface_add_listener(xdgSurface_, &surfaceListener, this);
  toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
  // The size is fixed, whatever the compositor suggests.
  static xdg_toplevel_listener toplevelListener{};
  toplevelListener.configure = [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {};
  toplevelListener.close = [](void* data, xdg_toplevel*) {
    static_cast<Floor*>(data)->closed_ = true;
  };
  xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
  xdg_toplevel_set_title(toplevel_, "Finbowl floor");
  xdg_toplevel_set_app_id(toplevel_, "finbowl-floor");
  xdg_toplevel_set_min_size(toplevel_, width_, height_);
  xdg_toplevel_set_max_size(toplevel_, width_, height_);
  wl_surface_commit(surface_);
  return true;
}

void Floor::Compose(const RecordedFrame& frame) {
  // Frames that were not composed wiped what the frames before them drew, so
  // wiping all their parts now clears every sprite work still holds.
  const Rect whole{0, 0, width_, height_};
  for (const Rect& r : toWipe_.CoversEverything() ? std::span(&whole, 1) : toWipe_.Rects()) {
    CopyPart(work_.data(), recording_.tank.data.data(), recording_, r);
  }
  toWipe_.Clear();
  for (const Paste& p : frame.pastes) {
    PasteOver(work_.data(), recording_, p);
  }
}

void Floor::Tick() {
  const RecordedFrame& frame = recording_.frames[next_];
  next_ = (next_ + 1) % recording_.frames.size();
  for (const Rect& r : frame.wiped) {
    toWipe_.Add(r);
  }
  for (const Rect& r : frame.presented) {
    sinceCommit_.Add(r);
    for (Buffer& b : buffers_) {
      b.stale.Add(r);
    }
  }
  latest_ = &frame;
  composed_ = false;
  Draw();
}

void Floor::Draw() {
  Buffer* free = nullptr;
  for (Buffer& b : buffers_) {
    if (!b.busy) {
      free = &b;
      break;
    }
  }
  if (!configured_ || frameAsked_ || !free) {
    return;
  }
  if (!composed_) {
    Compose(*latest_);
    composed_ = true;
  }
  const Rect whole{0, 0, width_, height_};
  for (const Rect& r :
       free->stale.CoversEverything() ? std::span(&whole, 1) : free->stale.Rects()) {
    CopyPart(free->pixels, work_.data(), recording_, r);
  }
  free->stale.Clear();
  for (const Rect& r :
       sinceCommit_.CoversEverything() ? std::span(&whole, 1) : sinceCommit_.Rects()) {
    wl_surface_damage_buffer(surface_, r.x, r.y, r.w, r.h);
  }
  sinceCommit_.Clear();
  wl_surface_attach(surface_, free->buffer, 0, 0);
  free->busy = true;
  static wl_callback_listener frameListener{};
  frameListener.done = [](void* data, wl_callback* callback, std::uint32_t) {
    auto* self = static_cast<Floor*>(data);
    wl_callback_destroy(callback);
    self->frameAsked_ = nullptr;
  };
  frameAsked_ = wl_surface_frame(surface_);
  wl_callback_add_listener(frameAsked_, &frameListener, this);
  wl_surface_commit(surface_);
  ++drawn_;
}

int Floor::Run(long frames) {
  const int timer = FrameTimer();
  pollfd fds[] = {{wl_display_get_fd(display_), POLLIN, 0}, {timer, POLLIN, 0}};
  while (!closed_ && (frames < 0 || drawn_ < frames)) {
    while (wl_display_prepare_read(display_) != 0) {
      wl_display_dispatch_pending(display_);
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
      wl_display_cancel_read(display_);
      break;
    }
    poll(fds, 2, -1);
    if (fds[0].revents & POLLIN) {
      if (wl_display_read_events(display_) < 0) {
        break;
      }
    } else {
      wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) {
      break;
    }
    std::uint64_t ticks = 0;
    // One frame a wake-up, however late, as a toolkit's timer gives it.
    if ((fds[1].revents & POLLIN) && read(timer, &ticks, sizeof ticks) == sizeof ticks) {
      Tick();
    }
  }
  const bool broken = wl_display_get_error(display_) != 0;
  wl_display_disconnect(display_);
  return broken ? 1 : 0;
}

}  // namespace
}  // namespace finbowl::floors

int main(int argc, char** argv) {
  return finbowl::floors::FloorMain(argc, argv, [](const auto& recording, long frames) {
    finbowl::floors::Floor floor(recording);
    return floor.Connect() ? floor.Run(frames) : 1;
  });
}
