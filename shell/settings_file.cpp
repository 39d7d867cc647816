#include "shell/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace finbowl {
namespace {

std::string Reason(int error) {
  return std::strerror(error);
}

// Closes the descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  int get() const { return fd_; }
  // Closes now so that a failing close (a full disk on some file systems) can be
  // seen; returns 0 or an errno value.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// O_NONBLOCK keeps a FIFO or device that takes SET's place between the look
// at it and the open from hanging the program; it is then refused because it
// is not a regular file.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// What stands at `path` before anything is opened: opening a device can do
// things of its own, and a FIFO or a directory cannot hold settings anyway.
enum class Found { kNothing, kRegularFile, kOtherKind, kUnknown };

Found Look(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    return S_ISREG(info.st_mode) ? Found::kRegularFile : Found::kOtherKind;
  }
  // A directory that cannot be searched hides whether anything is there.
  return errno == ENOENT || errno == ENOTDIR ? Found::kNothing : Found::kUnknown;
}

std::string NotARegularFile(const std::string& path) {
  return path + " is not a regular file";
}

constexpr const char* kStartingWithTheDefault = "; starting with one red goldfish";

// Says what a lastFish outside 0..4 asked for, in goldfish.
std::string OutOfRange(const std::string& path, std::int16_t stored, std::int16_t used) {
  const std::string instead = "; using " + std::to_string(used + 1);
  if (stored < 0) {
    return path + " holds a number of goldfish below one (stored as " + std::to_string(stored) +
           ")" + instead;
  }
  return path + " asks for " + std::to_string(stored + 1) + " goldfish" + instead;
}

}  // namespace

void ReportOnStderr(const std::string& line) {
  std::fprintf(stderr, "finbowl: %s\n", line.c_str());
  std::fflush(stderr);
}

void ReadSettings(SettingsRecord& settings, SettingsFile& file) {
  const std::string& path = file.path;
  if (Look(path) == Found::kOtherKind) {
    file.unread = true;
    file.report(NotARegularFile(path) + kStartingWithTheDefault);
    return;
  }

  bool readOnly = false;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666);
  const int createError = fd < 0 ? errno : 0;
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    // A read-only file (or one in a read-only directory) still holds the
    // user's choice.
    fd = ::open(path.c_str(), O_RDONLY | kOpenFlags);
    readOnly = fd >= 0;
  }
  if (fd < 0) {
    if (errno == ENOENT) {
      // Nothing there, and nothing can be made there: say why not.
      file.report("cannot create " + path + " (" + Reason(createError) + ")" +
                  kStartingWithTheDefault);
      return;
    }
    file.unread = true;
    file.report("cannot read " + path + " (" + Reason(errno) + ")" + kStartingWithTheDefault);
    return;
  }
  FileDescriptor opened(fd);
  if (!IsRegularFile(opened.get())) {
    file.unread = true;
    file.report(NotARegularFile(path) + kStartingWithTheDefault);
    return;
  }

  SettingsBytes bytes{};
  std::size_t count = 0;
  while (count < bytes.size()) {
    const ssize_t got = ::read(opened.get(), bytes.data() + count, bytes.size() - count);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      file.unread = true;
      file.report("cannot read " + path + " (" + Reason(errno) + ")" + kStartingWithTheDefault);
      return;
    }
    if (got == 0) {
      break;
    }
    count += static_cast<std::size_t>(got);
  }
  DecodeSettings(std::span(bytes.data(), count), settings);

  const std::int16_t stored = settings.lastFish;
  if (BringIntoRange(settings)) {
    file.report(OutOfRange(path, stored, settings.lastFish));
  }
  if (readOnly) {
    file.report(path + " is read-only; changes made in this run will not be saved");
  }
}

void WriteSettings(const SettingsRecord& settings, SettingsFile& file) {
  file.closed = true;
  const std::string& path = file.path;
  const Found found = Look(path);
  if (found == Found::kOtherKind) {
    file.report("cannot save settings: " + NotARegularFile(path));
    return;
  }
  // The record in memory is the default, not what the file holds; writing it
  // would lose the user's settings. A file that has gone since loses nothing.
  if (file.unread && !file.chosen && found != Found::kNothing) {
    file.report(path + " left unchanged: it could not be read at start, and no settings were " +
                "chosen with OK");
    return;
  }

  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | kOpenFlags, 0666);
  if (fd < 0) {
    file.report("cannot save settings to " + path + " (" + Reason(errno) + ")");
    return;
  }
  FileDescriptor opened(fd);
  if (!IsRegularFile(opened.get())) {
    file.report("cannot save settings: " + NotARegularFile(path));
    return;
  }

  const SettingsBytes bytes = EncodeSettings(settings);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        ::pwrite(opened.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      file.report("cannot save settings to " + path + " (" + Reason(put < 0 ? errno : EIO) + ")");
      return;
    }
    done += static_cast<std::size_t>(put);
  }
  // The record is written once, at close; making it durable costs nothing noticeable.
  if (::fsync(opened.get()) != 0 && errno != EINVAL && errno != EROFS) {
    file.report("cannot save settings to " + path + " (" + Reason(errno) + ")");
    return;
  }
  if (const int error = opened.Close(); error != 0) {
    file.report("cannot save settings to " + path + " (" + Reason(error) + ")");
  }
}

}  // namespace finbowl
