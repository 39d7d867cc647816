// Giving back the pages start-up left mapped must never lose a byte: only file
// pages the process holds for reading go, and they read the same afterwards.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/resident_pages.h"
#include "support/temp_dir.h"

namespace finbowl {
namespace {

using testing::TempDir;

constexpr std::size_t kBytes = 16 * 4096;

std::vector<std::uint8_t> Pattern(std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(kBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 4096);
  }
  return bytes;
}

// Resident kilobytes of the mapping that starts at `address`, or -1.
long RssKb(const void* address) {
  std::FILE* smaps = std::fopen("/proc/self/smaps", "r");
  char line[512];
  bool found = false;
  long rss = -1;
  while (smaps && std::fgets(line, sizeof line, smaps)) {
    unsigned long start = 0, end = 0;
    if (std::sscanf(line, "%lx-%lx ", &start, &end) == 2) {
      found = start == reinterpret_cast<unsigned long>(address);
    } else if (found && std::sscanf(line, "Rss: %ld kB", &rss) == 1) {
      break;
    }
  }
  if (smaps) {
    std::fclose(smaps);
  }
  return rss;
}

// A file of kBytes mapped as asked, every page read once.
struct MappedFile {
  MappedFile(const std::string& path, int prot, int flags) {
    // A private view may be written without writing the file.
    const int fd = ::open(path.c_str(), O_RDONLY);
    data = static_cast<std::uint8_t*>(::mmap(nullptr, kBytes, prot, flags, fd, 0));
    ::close(fd);
    volatile std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kBytes; i += 4096) {
      sum = static_cast<std::uint8_t>(sum + data[i]);
    }
  }
  ~MappedFile() { ::munmap(data, kBytes); }
  bool Holds(const std::vector<std::uint8_t>& bytes) const {
    return std::memcmp(data, bytes.data(), kBytes) == 0;
  }
  std::uint8_t* data = nullptr;
};

TEST(ReleaseReadOnlyPages, DropsFilePagesHeldForReadingAndTheyReadTheSame) {
  TempDir dir;
  const std::vector<std::uint8_t> file = Pattern(1);
  testing::WriteBytes(dir.File("pages"), file);
  const MappedFile privateView(dir.File("pages"), PROT_READ, MAP_PRIVATE);
  const MappedFile sharedView(dir.File("pages"), PROT_READ, MAP_SHARED);
  ASSERT_NE(privateView.data, MAP_FAILED);
  ASSERT_NE(sharedView.data, MAP_FAILED);
  ASSERT_GT(RssKb(privateView.data), 0);
  ASSERT_GT(RssKb(sharedView.data), 0);

  EXPECT_GE(ReleaseReadOnlyPages(), static_cast<long long>(2 * kBytes));
  EXPECT_EQ(RssKb(privateView.data), 0);
  EXPECT_EQ(RssKb(sharedView.data), 0);
  EXPECT_TRUE(privateView.Holds(file));
  EXPECT_TRUE(sharedView.Holds(file));
}

// A library's relocated tables are written through a private mapping and then
// made read-only: the written pages exist nowhere but in the process, and so
// do those of any mapping still writable.
TEST(ReleaseReadOnlyPages, KeepsEveryPageThatHoldsAPrivateCopy) {
  TempDir dir;
  const std::vector<std::uint8_t> file = Pattern(1);
  testing::WriteBytes(dir.File("pages"), file);
  const MappedFile relocated(dir.File("pages"), PROT_READ | PROT_WRITE, MAP_PRIVATE);
  const MappedFile writable(dir.File("pages"), PROT_READ | PROT_WRITE, MAP_PRIVATE);
  ASSERT_NE(relocated.data, MAP_FAILED);
  ASSERT_NE(writable.data, MAP_FAILED);
  // One page of each is the process's own from now on.
  std::vector<std::uint8_t> changed = file;
  for (std::size_t i = 4096; i < 2 * 4096; ++i) {
    changed[i] = static_cast<std::uint8_t>(~changed[i]);
  }
  std::memcpy(relocated.data + 4096, changed.data() + 4096, 4096);
  std::memcpy(writable.data + 4096, changed.data() + 4096, 4096);
  ASSERT_EQ(::mprotect(relocated.data, kBytes, PROT_READ), 0);

  ReleaseReadOnlyPages();
  EXPECT_TRUE(relocated.Holds(changed));
  EXPECT_TRUE(writable.Holds(changed));
  EXPECT_GT(RssKb(relocated.data), 0);
}

}  // namespace
}  // namespace finbowl
