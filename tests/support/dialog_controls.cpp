#include "support/dialog_controls.h"

#include <gtest/gtest.h>

namespace finbowl::testing {
namespace {

// Found as the toolkit's widget, which knows its own class, and then taken
// as the dialog's own kind of it.
template <typename Control, typename Widget = Control>
Control* Find(const frm_Set& dialog, const char* name) {
  auto* control = dynamic_cast<Control*>(dialog.findChild<Widget*>(QString::fromLatin1(name)));
  EXPECT_NE(control, nullptr) << "the dialog has no " << name;
  return control;
}

}  // namespace

DialogControls ControlsOf(const frm_Set& dialog) {
  return {Find<QLabel>(dialog, "Label5"),
          Find<QLineEdit>(dialog, "Text1"),
          Find<QLabel>(dialog, "Label6"),
          Find<ScrollBar, QScrollBar>(dialog, "HScroll1"),
          Find<QLabel>(dialog, "Label7"),
          Find<QLabel>(dialog, "Label1"),
          {Find<QLabel>(dialog, "Lab(0)"), Find<QLabel>(dialog, "Lab(1)")},
          Find<QLabel>(dialog, "Label3"),
          {Find<ScrollBar, QScrollBar>(dialog, "Scr(0)"),
           Find<ScrollBar, QScrollBar>(dialog, "Scr(1)")},
          Find<CommandButton, QPushButton>(dialog, "com_OK"),
          Find<CommandButton, QPushButton>(dialog, "com_Can"),
          Find<QLabel>(dialog, "Label2"),
          Find<QLabel>(dialog, "Label4")};
}

}  // namespace finbowl::testing
