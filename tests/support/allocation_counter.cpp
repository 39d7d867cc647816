#include "support/allocation_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> liveBytes{0};

}  // namespace

void* operator new(std::size_t size) {
  if (counting) {
    ++allocations;
  }
  if (void* p = std::malloc(size ? size : 1)) {
    liveBytes += static_cast<long>(::malloc_usable_size(p));
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (p) {
    liveBytes -= static_cast<long>(::malloc_usable_size(p));
  }
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  ::operator delete(p);
}

namespace finbowl::testing {

AllocationCount::AllocationCount() {
  allocations = 0;
  counting = true;
}

long AllocationCount::Stop() {
  counting = false;
  return allocations.load();
}

long LiveBytes() {
  return liveBytes.load();
}

}  // namespace finbowl::testing
