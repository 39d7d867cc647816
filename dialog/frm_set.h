#pragma once

#include <QDialog>
#include <QPushButton>
#include <QScrollBar>
#include <array>
#include <functional>
#include <optional>

#include "shell/settings_record.h"

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace finbowl {

// Shows the one message of the dialog over `owner` and returns once the user
// has closed it.
using ShowMessageFn =
    std::function<void(QWidget& owner, const QString& text, const QString& title)>;

// A message box with an OK button only and no icon.
void ShowMessageBox(QWidget& owner, const QString& text, const QString& title);

// A scroll bar that takes the focus, like the dialog's other controls.
class ScrollBar final : public QScrollBar {
 public:
  explicit ScrollBar(QWidget* parent);

  // A modal box opened while an arrow is held swallows the mouse release, and
  // the arrow would then go on stepping behind the box; this ends the repeat.
  void StopRepeat() { setRepeatAction(SliderNoAction); }
};

// A command button that Enter clicks only while it has the focus: the dialog
// has no default button for Enter to reach from elsewhere.
class CommandButton final : public QPushButton {
 public:
  CommandButton(const QString& caption, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// What OK confirms: how many goldfish swim, and how many of them are red.
struct SettingsChoice {
  int goldfish = 1;
  int red = 0;
};

// The settings dialog: the number of goldfish and how many of them are red,
// opened from `settings`. OK confirms the choice and closes the dialog; the
// caller applies it and restocks the tank after the dialog has gone.
class frm_Set final : public QDialog {
  Q_OBJECT

 public:
  explicit frm_Set(const SettingsRecord& settings, ShowMessageFn showMessage = ShowMessageBox);

  // What OK confirmed; nothing until then, or when the dialog closed otherwise.
  const std::optional<SettingsChoice>& choice() const { return choice_; }

  // Records that the dialog is going, whatever closes it.
  void done(int result) override;

 protected:
  // Neither Enter nor Esc belongs to the dialog itself.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Form_Load();
  void HScroll1_Change();
  void Scr_Change(int index);
  void com_OK_Click();
  void com_Can_Click();

  // The controls carry their names as object names too.
  QLabel* Label5 = nullptr;
  QLineEdit* Text1 = nullptr;
  QLabel* Label6 = nullptr;
  ScrollBar* HScroll1 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label1 = nullptr;
  std::array<QLabel*, 2> Lab{};
  QLabel* Label3 = nullptr;
  std::array<ScrollBar*, 2> Scr{};
  CommandButton* com_OK = nullptr;
  CommandButton* com_Can = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;

  const SettingsRecord& settings_;
  ShowMessageFn showMessage_;
  std::optional<SettingsChoice> choice_;
  // Set once the dialog is closing. A message box closed by a session end
  // returns into the red count check, which must then neither step back nor
  // show another box.
  bool closing_ = false;
};

// Creates frm_Set, shows it modally without an owner and returns once it has
// been destroyed: the choice confirmed with OK, if it was.
std::optional<SettingsChoice> ShowSettingsDialog(const SettingsRecord& settings,
                                                 ShowMessageFn showMessage = ShowMessageBox);

}  // namespace finbowl
