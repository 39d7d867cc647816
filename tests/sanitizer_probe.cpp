// Loads MODULE, lets it keep a block in its globals, unloads it and ends; with
// "own" it first loses a block of its own. Built with the sanitizer hooks.
//   sanitizer_probe MODULE [own]
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void* volatile ownBlock = nullptr;

// Not inlined, so that the leak report names it.
__attribute__((noinline)) void LoseOwnBlock() {
  ownBlock = std::malloc(64);
  ownBlock = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: sanitizer_probe MODULE [own]\n", stderr);
    return 2;
  }
  void* module = dlopen(argv[1], RTLD_NOW);
  const auto hold =
      module != nullptr ? reinterpret_cast<void (*)()>(dlsym(module, "HoldBlock")) : nullptr;
  if (hold == nullptr) {
    std::fprintf(stderr, "sanitizer_probe: %s\n", dlerror());
    return 2;
  }
  hold();
  // Through the global scope, as Mesa's loader reaches dlclose from a library
  // of its own: the hooks must be what every library finds.
  const auto close = reinterpret_cast<int (*)(void*)>(dlsym(RTLD_DEFAULT, "dlclose"));
  close(module);
  if (argc > 2 && std::strcmp(argv[2], "own") == 0) {
    LoseOwnBlock();
  }
  return 0;
}
