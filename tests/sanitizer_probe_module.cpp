// Stands in for a driver that keeps a block in one of its globals until the
// process ends, as Mesa's CPU detection does.
#include <cstdlib>

namespace {
void* held = nullptr;
}  // namespace

extern "C" void HoldBlock() {
  held = std::realloc(held, 128);
}
