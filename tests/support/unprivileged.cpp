#include "support/unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace finbowl::testing {
namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

std::string RunUnprivileged(const std::function<std::string()>& body) {
  int channel[2];
  if (::pipe(channel) != 0) {
    throw std::runtime_error("pipe");
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(3);
    }
    const std::string result = body();
    std::size_t done = 0;
    while (done < result.size()) {
      const ssize_t put = ::write(channel[1], result.data() + done, result.size() - done);
      if (put <= 0) {
        ::_exit(4);
      }
      done += static_cast<std::size_t>(put);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string result;
  char buffer[256];
  ssize_t got;
  while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0) {
    result.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("the unprivileged child failed");
  }
  return result;
}

void GiveToUnprivileged(const std::string& path) {
  if (::geteuid() == 0 && ::chown(path.c_str(), kNobody, kNobody) != 0) {
    throw std::runtime_error("chown " + path);
  }
}

}  // namespace finbowl::testing
