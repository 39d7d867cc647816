#include "shell/app_main.h"

#include <QApplication>
#include <cstdlib>

#include "shell/form1.h"
#include "shell/settings_file.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {
namespace {

// The records that live for the whole run.
SettingsRecord settings;
SettingsFile settingsFile;
FishTable fishTable;
ClockRandom random;
// Deleted when the event loop ends, while Qt is still there; never by a static
// destructor, which would run after Qt is gone.
Form1* form1 = nullptr;

// A window that never closed means the program is ending some other way: the
// display went away (Qt then exits at once) or the event loop never ran. The
// settings still go to the file.
void SaveIfNeverClosed() {
  if (form1) {
    WriteSettings(settings, settingsFile);
  }
}

}  // namespace

void Main() {
  ReadSettings(settings, settingsFile);
  form1 = new Form1(settings, fishTable, random, settingsFile);
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
    delete form1;
    form1 = nullptr;
  });
  std::atexit(SaveIfNeverClosed);
  SetUpWindow(*form1);
  form1->StockTank();
  form1->ReleasePagesOnceSettled();
}

}  // namespace finbowl
