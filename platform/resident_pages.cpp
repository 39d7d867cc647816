#include "platform/resident_pages.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace finbowl {
namespace {

// One mapping of /proc/self/smaps, as far as the decision needs it.
struct Mapping {
  unsigned long start = 0, end = 0;
  bool candidate = false;  // file-backed and not writable
  long long rssKb = 0;
  long long anonymousKb = -1;  // -1 until its line is read: then never released
};

// The header line of a mapping: "start-end perms offset dev inode [path]".
bool ParseHeader(const char* line, Mapping& m) {
  char perms[5] = {};
  int pathAt = 0;
  if (std::sscanf(line, "%lx-%lx %4s %*s %*s %*s %n", &m.start, &m.end, perms, &pathAt) < 3) {
    return false;
  }
  m.candidate = perms[1] != 'w' && line[pathAt] == '/';
  m.rssKb = 0;
  m.anonymousKb = -1;
  return true;
}

long long FieldKb(const char* line, const char* name) {
  const std::size_t n = std::strlen(name);
  return std::strncmp(line, name, n) == 0 ? std::atoll(line + n) : -1;
}

// A mapping is released only when it is read-only and file-backed and holds no
// private copy of any page: dropping its pages then only drops the process's
// view of the file cache.
long long Release(const Mapping& m) {
  if (!m.candidate || m.anonymousKb != 0 || m.rssKb <= 0 || m.end <= m.start) {
    return 0;
  }
  // Locked, device and huge-page mappings refuse; nothing is lost then either.
  if (madvise(reinterpret_cast<void*>(m.start), m.end - m.start, MADV_DONTNEED) != 0) {
    return 0;
  }
  return m.rssKb * 1024;
}

}  // namespace

long long ReleaseReadOnlyPages() {
  std::FILE* smaps = std::fopen("/proc/self/smaps", "re");
  if (!smaps) {
    return -1;
  }
  long long released = 0;
  Mapping mapping;
  bool inMapping = false;
  char* line = nullptr;
  std::size_t capacity = 0;
  // Each mapping is acted on as soon as its last line ("VmFlags") is read, so
  // the list and the madvise see the same mapping; the program's other threads
  // (the toolkit's X event reader and D-Bus) never map or unmap files.
  while (getline(&line, &capacity, smaps) > 0) {
    if (!inMapping) {
      inMapping = ParseHeader(line, mapping);
      continue;
    }
    if (const long long rss = FieldKb(line, "Rss:"); rss >= 0) {
      mapping.rssKb = rss;
    } else if (const long long anonymous = FieldKb(line, "Anonymous:"); anonymous >= 0) {
      mapping.anonymousKb = anonymous;
    } else if (std::strncmp(line, "VmFlags:", 8) == 0) {
      released += Release(mapping);
      inMapping = false;
    }
  }
  std::free(line);
  std::fclose(smaps);
  malloc_trim(0);
  return released;
}

}  // namespace finbowl
