// Only read by a sanitizer build: D-Bus, which Qt loads, keeps a few blocks
// until the process ends, and those are not the program's leaks.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif
