// Loaded into the program with LD_PRELOAD, this stands in for the calls with
// which Qt says goodbye to the display server at the end of a run, X11's and
// Wayland's, to give the program the teardown a test asks for in
// FINBOWL_TEST_TEARDOWN:
//   hang  the call never returns, as when the server stops answering;
//   leak  the call loses a block and then does its work, which a leak
//         checker at exit must report.
// Either way it first creates the file FINBOWL_TEST_TEARDOWN_MARK, so the test
// knows that the teardown got there.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// Returns the real function once the test's teardown is done, or nothing
// when it hangs.
void* Teardown(const char* name) {
  if (const char* mark = std::getenv("FINBOWL_TEST_TEARDOWN_MARK")) {
    ::close(::open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  }
  const char* kind = std::getenv("FINBOWL_TEST_TEARDOWN");
  if (kind && std::strcmp(kind, "hang") == 0) {
    for (;;) {
      ::pause();
    }
  }
  if (kind && std::strcmp(kind, "leak") == 0) {
    // Nothing keeps the address.
    static_cast<volatile char*>(std::malloc(4096))[0] = 1;
  }
  return ::dlsym(RTLD_NEXT, name);
}

}  // namespace

extern "C" {

struct xcb_connection_t;
struct wl_display;

void xcb_disconnect(xcb_connection_t* connection) {
  using Disconnect = void (*)(xcb_connection_t*);
  reinterpret_cast<Disconnect>(Teardown("xcb_disconnect"))(connection);
}

void wl_display_disconnect(wl_display* display) {
  using Disconnect = void (*)(wl_display*);
  reinterpret_cast<Disconnect>(Teardown("wl_display_disconnect"))(display);
}

}  // extern "C"
