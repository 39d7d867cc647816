// Only read by a sanitizer build: D-Bus, which Qt loads, keeps a few blocks
// until the process ends, and those are not the program's leaks. Neither are
// fontconfig's patterns that Qt's font database holds when the display goes
// away: Qt then calls exit() from inside the event loop, and nothing of the
// toolkit is torn down. Nor are the few proxies Qt's Wayland platform leaves
// with libwayland-client when it disconnects. Nor, from Qt 6.8 on, is the
// watcher of the call to the desktop portal that Qt's generic Unix services
// (libQt6Gui) make as the platform starts: it is deleted only when the call
// finishes, which without a session bus had not happened by the exit. Its
// private part and its connection go with it, a cycle reported as indirect
// leaks whose frames lie only in QtCore; the watcher alone is allocated in
// that constructor, and once it is suppressed the rest counts as reachable.
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>

#include <string_view>

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libfontconfig.so\n"
         "leak:libwayland-client.so\n"
         "leak:QGenericUnixServices::QGenericUnixServices\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}

namespace {

// Mesa's DRI drivers: dri/swrast_dri.so, and its hardware siblings built from
// the same code.
bool IsMesaDriver(std::string_view path) {
  return path.ends_with("_dri.so") &&
         (path.starts_with("dri/") || path.find("/dri/") != std::string_view::npos);
}

}  // namespace

// Mesa's DRI driver keeps blocks in its globals until the process ends, such
// as the 128-byte mask of the processors that share an L3 cache, which its CPU
// detection reallocs once per cache on processors that describe their caches.
// Qt's Wayland platform terminates its EGL display as the application ends,
// and Mesa then unloads the driver before LeakSanitizer looks: the driver's
// globals are gone, its blocks seem lost, and their frames lie in no module,
// so no suppression by name could match them. Here the driver stays mapped to
// the end, its globals hold its blocks as in a normal run, and nothing needs
// suppressing; every other module is unloaded as usual, and anything really
// lost, in the driver or anywhere else, is still reported.
extern "C" int dlclose(void* handle) {
  link_map* module = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &module) == 0 && IsMesaDriver(module->l_name)) {
    return 0;
  }
  static const auto next = reinterpret_cast<int (*)(void*)>(dlsym(RTLD_NEXT, "dlclose"));
  return next(handle);
}
#endif
