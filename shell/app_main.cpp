#include "shell/app_main.h"

#include <QApplication>
#include <memory>

#include "shell/form1.h"
#include "shell/settings_file.h"
#include "sim/fish_table.h"
#include "sim/random_source.h"

namespace finbowl {
namespace {

// The records that live for the whole run.
SettingsRecord settings;
FishTable fishTable;
ClockRandom random;
std::unique_ptr<Form1> form1;

}  // namespace

void Main() {
  ReadSettings(settings);
  form1 = std::make_unique<Form1>(settings, fishTable, random);
  // The window goes once the event loop has ended, while Qt is still there.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { form1.reset(); });
  SetUpWindow(*form1);
  form1->StockTank();
}

}  // namespace finbowl
