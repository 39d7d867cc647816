#include "shell/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

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

// The file's first bytes, up to a record's worth, read from `fd`; nothing on
// a read error, whose errno is left for the caller.
std::optional<std::string> ReadRecordBytes(int fd) {
  std::string bytes(kSettingsBytes, '\0');
  std::size_t count = 0;
  while (count < bytes.size()) {
    const ssize_t got =
        ::pread(fd, bytes.data() + count, bytes.size() - count, static_cast<off_t>(count));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    count += static_cast<std::size_t>(got);
  }
  bytes.resize(count);
  return bytes;
}

std::string Encoded(const SettingsRecord& settings) {
  const SettingsBytes bytes = EncodeSettings(settings);
  return {bytes.begin(), bytes.end()};
}

// Only one file at a time is closed by the process's exit.
SettingsFile* closedAtExit = nullptr;

void CloseAtExitHandler() {
  if (closedAtExit) {
    closedAtExit->Close();
  }
}

}  // namespace

void ReportOnStderr(const std::string& line) {
  std::fprintf(stderr, "finbowl: %s\n", line.c_str());
  std::fflush(stderr);
}

SettingsFile::SettingsFile(std::string path, ReportFn report)
    : path_(std::move(path)), report_(std::move(report)) {}

SettingsFile::~SettingsFile() {
  if (closedAtExit == this) {
    closedAtExit = nullptr;
  }
}

SettingsRecord SettingsFile::Read() {
  SettingsRecord settings;
  record_ = settings;
  known_.reset();
  if (Look(path_) == Found::kOtherKind) {
    report_(NotARegularFile(path_) + kStartingWithTheDefault);
    return settings;
  }

  bool readOnly = false;
  int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666);
  const int createError = fd < 0 ? errno : 0;
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    // A read-only file (or one in a read-only directory) still holds the
    // user's choice.
    fd = ::open(path_.c_str(), O_RDONLY | kOpenFlags);
    readOnly = fd >= 0;
  }
  if (fd < 0) {
    if (errno == ENOENT) {
      // Nothing there, and nothing can be made there: say why not.
      known_ = std::string();
      report_("cannot create " + path_ + " (" + Reason(createError) + ")" +
              kStartingWithTheDefault);
      return settings;
    }
    report_("cannot read " + path_ + " (" + Reason(errno) + ")" + kStartingWithTheDefault);
    return settings;
  }
  FileDescriptor opened(fd);
  if (!IsRegularFile(opened.get())) {
    report_(NotARegularFile(path_) + kStartingWithTheDefault);
    return settings;
  }
  known_ = ReadRecordBytes(opened.get());
  if (!known_) {
    report_("cannot read " + path_ + " (" + Reason(errno) + ")" + kStartingWithTheDefault);
    return settings;
  }
  DecodeSettings(std::span(reinterpret_cast<const std::uint8_t*>(known_->data()), known_->size()),
                 settings);

  const std::int16_t stored = settings.lastFish;
  if (BringIntoRange(settings)) {
    report_(OutOfRange(path_, stored, settings.lastFish));
  }
  if (readOnly) {
    report_(path_ + " is read-only; changes made in this run will not be saved");
  }
  record_ = settings;
  return settings;
}

void SettingsFile::Confirm(const SettingsRecord& settings) {
  record_ = settings;
  confirmed_ = true;
  Write(settings);
}

void SettingsFile::Close() {
  if (closed_) {
    return;
  }
  closed_ = true;
  const Found found = Look(path_);
  if (found == Found::kOtherKind) {
    report_("cannot save settings: " + NotARegularFile(path_));
    return;
  }
  // A file that has gone since loses nothing.
  if (found != Found::kNothing) {
    if (!known_ && !confirmed_) {
      // The record in memory is the default, not what the file holds;
      // writing it would lose the user's settings.
      report_(path_ + " left unchanged: it could not be read at start, and no settings were " +
              "chosen with OK");
      return;
    }
    if (known_) {
      // Another copy of the program in the same directory wrote a choice of
      // its own after this run last saw the file; the later choice stands.
      const int fd = ::open(path_.c_str(), O_RDONLY | kOpenFlags);
      if (fd >= 0) {
        FileDescriptor opened(fd);
        const std::optional<std::string> now = ReadRecordBytes(opened.get());
        if (now && *now != *known_) {
          report_(path_ + " left unchanged: it was written by someone else during this run");
          return;
        }
      }
    }
  }
  Write(record_);
}

void SettingsFile::CloseAtExit() {
  static const bool registered = std::atexit(CloseAtExitHandler) == 0;
  if (registered) {
    closedAtExit = this;
  }
}

bool SettingsFile::Write(const SettingsRecord& settings) {
  if (Look(path_) == Found::kOtherKind) {
    report_("cannot save settings: " + NotARegularFile(path_));
    return false;
  }
  const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | kOpenFlags, 0666);
  if (fd < 0) {
    report_("cannot save settings to " + path_ + " (" + Reason(errno) + ")");
    return false;
  }
  FileDescriptor opened(fd);
  if (!IsRegularFile(opened.get())) {
    report_("cannot save settings: " + NotARegularFile(path_));
    return false;
  }

  const std::string bytes = Encoded(settings);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        ::pwrite(opened.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      report_("cannot save settings to " + path_ + " (" + Reason(put < 0 ? errno : EIO) + ")");
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  // Written only when the user confirms and at the close; making it durable
  // costs nothing noticeable.
  if (::fsync(opened.get()) != 0 && errno != EINVAL && errno != EROFS) {
    report_("cannot save settings to " + path_ + " (" + Reason(errno) + ")");
    return false;
  }
  if (const int error = opened.Close(); error != 0) {
    report_("cannot save settings to " + path_ + " (" + Reason(error) + ")");
    return false;
  }
  known_ = bytes;
  return true;
}

}  // namespace finbowl
