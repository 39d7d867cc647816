#include "shell/desktop_integration/display_deadline.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace finbowl {
namespace {

// The displays the toolkit may be connecting to, as the environment names them.
std::string NamedDisplays() {
  std::string named;
  for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value && *value) {
      named += (named.empty() ? "" : ", ") + std::string(variable) + "=" + value;
    }
  }
  return named.empty() ? "the display" : named;
}

}  // namespace

DisplayDeadline::DisplayDeadline(std::chrono::seconds limit) {
  // Made before the thread, which must not touch the environment while the
  // toolkit may be changing it.
  const std::string line = "finbowl: cannot show the window: no answer from " + NamedDisplays() +
                           " in " + std::to_string(limit.count()) + " s\n";
  watch_ = std::thread([this, limit, line] {
    std::unique_lock guard(lock_);
    if (!stopped_.wait_for(guard, limit, [this] { return stopping_; })) {
      [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
      // The toolkit is stuck half made on another thread: nothing may run
      // its destructors, and there is nothing of ours to save.
      ::_exit(1);
    }
  });
}

void DisplayDeadline::Stop() {
  if (!watch_.joinable()) {
    return;
  }
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  stopped_.notify_one();
  watch_.join();
}

}  // namespace finbowl
