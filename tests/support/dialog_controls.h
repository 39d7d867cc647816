#pragma once

#include <QLabel>
#include <QLineEdit>
#include <array>

#include "dialog/frm_set.h"

namespace finbowl::testing {

// The settings dialog's controls, found by their names, as a test drives
// and reads them.
struct DialogControls {
  QLabel* Label5;
  QLineEdit* Text1;
  QLabel* Label6;
  ScrollBar* HScroll1;
  QLabel* Label7;
  QLabel* Label1;
  std::array<QLabel*, 2> Lab;
  QLabel* Label3;
  std::array<ScrollBar*, 2> Scr;
  CommandButton* com_OK;
  CommandButton* com_Can;
  QLabel* Label2;
  QLabel* Label4;
};

// Fails the current test when a control is missing.
DialogControls ControlsOf(const frm_Set& dialog);

}  // namespace finbowl::testing
