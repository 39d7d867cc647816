#include <QApplication>

#include "platform/application_setup.h"
#include "shell/app_main.h"

#if defined(__SANITIZE_ADDRESS__)
// D-Bus, which Qt loads, keeps a few blocks until the process ends; a
// sanitizer build should not count them as the program's leaks.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  finbowl::SetUpApplication(app);
  finbowl::Main();
  return QApplication::exec();
}
