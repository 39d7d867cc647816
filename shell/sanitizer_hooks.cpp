// Only read by a sanitizer build: D-Bus, which Qt loads, keeps a few blocks
// until the process ends, and those are not the program's leaks. Neither are
// fontconfig's patterns that Qt's font database holds when the display goes
// away: Qt then calls exit() from inside the event loop, and nothing of the
// toolkit is torn down. Nor are the few proxies Qt's Wayland platform leaves
// with libwayland-client when it disconnects.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n"
         "leak:libfontconfig.so\n"
         "leak:libwayland-client.so\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif
