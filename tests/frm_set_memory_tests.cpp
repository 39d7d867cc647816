// The settings dialog on a real X server, where showing a window hands its
// icon to the server: however often the dialog opens, the memory the program
// holds must not grow.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "dialog/frm_set.h"
#include "support/allocation_counter.h"
#include "support/dialog_controls.h"

namespace finbowl {
namespace {

// Opens the dialog the way the menu item does and cancels it, `times` times.
void OpenAndCancel(SettingsRecord& settings, int times) {
  for (int i = 0; i < times; ++i) {
    QTimer::singleShot(0, [] {
      if (auto* dialog = qobject_cast<frm_Set*>(QApplication::activeModalWidget())) {
        testing::ControlsOf(*dialog).com_Can->click();
      }
    });
    ShowSettingsDialog(settings);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

TEST(FrmSetMemory, OpeningTheDialogAgainAndAgainKeepsNoMemory) {
  SettingsRecord settings{2, {0, 1, 1, 0, 0, 0}};
  // The first openings fill the toolkit's caches (fonts, style, the icon's
  // pixmaps); from then on an opening gives back all it takes.
  OpenAndCancel(settings, 20);
  const long settled = testing::LiveBytes();
  OpenAndCancel(settings, 100);
  const long after100 = testing::LiveBytes();
  OpenAndCancel(settings, 200);
  const long after300 = testing::LiveBytes();
  // A new icon at each opening kept about 1.2 kB a time here.
  EXPECT_LT(after300 - after100, 4096) << "the first 100 openings kept " << after100 - settled
                                       << " bytes, the next 200 " << after300 - after100;
  EXPECT_EQ(settings, (SettingsRecord{2, {0, 1, 1, 0, 0, 0}}));
}

}  // namespace
}  // namespace finbowl
