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

// O_NONBLOCK keeps a FIFO or device called SET from hanging the start-up; it is
// then refused because it is not a regular file.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void ReportOnStderr(const std::string& line) {
  std::fprintf(stderr, "finbowl: %s\n", line.c_str());
  std::fflush(stderr);
}

void ReadSettings(SettingsRecord& settings, const std::string& path, const ReportFn& report) {
  bool readOnly = false;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    // A read-only file (or a read-only directory) still holds the user's choice.
    fd = ::open(path.c_str(), O_RDONLY | kOpenFlags);
    readOnly = fd >= 0;
  }
  if (fd < 0) {
    report("cannot open " + path + " (" + Reason(errno) + "); starting with one red goldfish");
    return;
  }
  FileDescriptor file(fd);
  if (!IsRegularFile(file.get())) {
    report(path + " is not a regular file; starting with one red goldfish");
    return;
  }

  SettingsBytes bytes{};
  std::size_t count = 0;
  while (count < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + count, bytes.size() - count);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      report("cannot read " + path + " (" + Reason(errno) + "); starting with one red goldfish");
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
    report(path + " asks for " + std::to_string(stored + 1) + " goldfish; using " +
           std::to_string(settings.lastFish + 1));
  }
  if (readOnly) {
    report(path + " is read-only; changes made in this run will not be saved");
  }
}

void WriteSettings(const SettingsRecord& settings, const std::string& path,
                   const ReportFn& report) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | kOpenFlags, 0666);
  if (fd < 0) {
    report("cannot save settings to " + path + " (" + Reason(errno) + ")");
    return;
  }
  FileDescriptor file(fd);
  if (!IsRegularFile(file.get())) {
    report("cannot save settings: " + path + " is not a regular file");
    return;
  }

  const SettingsBytes bytes = EncodeSettings(settings);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        ::pwrite(file.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      report("cannot save settings to " + path + " (" + Reason(put < 0 ? errno : EIO) + ")");
      return;
    }
    done += static_cast<std::size_t>(put);
  }
  // The record is written once, at close; making it durable costs nothing noticeable.
  if (::fsync(file.get()) != 0 && errno != EINVAL && errno != EROFS) {
    report("cannot save settings to " + path + " (" + Reason(errno) + ")");
    return;
  }
  if (const int error = file.Close(); error != 0) {
    report("cannot save settings to " + path + " (" + Reason(error) + ")");
  }
}

}  // namespace finbowl
