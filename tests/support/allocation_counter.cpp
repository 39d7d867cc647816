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
// The sanitizer runtime brings a nothrow new of its own, whose blocks would
// come back through the delete below (GoogleTest makes some); through ours, they
// are allocated and counted like any other.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
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
void operator delete(void* p, const std::nothrow_t&) noexcept {
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
