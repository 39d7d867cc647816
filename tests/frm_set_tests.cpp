// The settings dialog driven through its real widgets, headless: what it shows
// when it opens, what each user action does, what OK stores, and how it lives
// inside the main window's event loop.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "dialog/frm_set.h"
#include "shell/desktop_integration/termination_signals.h"
#include "shell/form1.h"
#include "shell/settings_record.h"
#include "support/dialog_controls.h"
#include "support/temp_dir.h"

namespace finbowl {

std::ostream& operator<<(std::ostream& os, const SettingsRecord& r) {
  os << "{lastFish " << r.lastFish << ", kinds";
  for (const auto kind : r.fishKind) {
    os << ' ' << kind;
  }
  return os << '}';
}

namespace {

const std::string kMessage = "金魚の数が設定数を超えてます";
const std::string kTitle = "入力ｴﾗｰ";

// What the visible and the hidden count rows show.
struct Shown {
  int hScroll1 = 0;
  std::string text1;
  std::string lab0;
  int scr0 = 0;
  std::string lab1;
  int scr1 = 0;

  friend bool operator==(const Shown&, const Shown&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Shown& s) {
    return os << "{HScroll1 " << s.hScroll1 << ", Text1 '" << s.text1 << "', Lab(0) '" << s.lab0
              << "', Scr(0) " << s.scr0 << ", Lab(1) '" << s.lab1 << "', Scr(1) " << s.scr1 << '}';
  }
};

Shown Observe(const frm_Set& dialog) {
  const testing::DialogControls d = testing::ControlsOf(dialog);
  return {d.HScroll1->value(), d.Text1->text().toStdString(),  d.Lab[0]->text().toStdString(),
          d.Scr[0]->value(),   d.Lab[1]->text().toStdString(), d.Scr[1]->value()};
}

// What a screen reader learns of the dialog, through Qt's accessibility
// interface: every control that takes the focus has a name, which for the
// count controls is the caption of the label beside them, that label being
// their label; the spinner tells the red count shown; the hidden row is not
// offered as showing. Returns what is wrong, or nothing.
std::string WhatAScreenReaderMisses(const frm_Set& dialog) {
  const testing::DialogControls d = testing::ControlsOf(dialog);
  const auto iface = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w); };
  const auto name = [&](QWidget* w) { return iface(w)->text(QAccessible::Name).toStdString(); };
  std::string missed;
  const auto expect = [&missed](bool holds, const std::string& what) {
    if (!holds) {
      missed += what + "; ";
    }
  };
  struct Named {
    QWidget* control;
    QLabel* label;  // nothing for a button, named by its own caption
  };
  for (const Named& n :
       {Named{d.com_OK, nullptr}, Named{d.com_Can, nullptr}, Named{d.Scr[0], d.Label1},
        Named{d.Text1, d.Label5}, Named{d.HScroll1, d.Label5}, Named{d.Scr[1], d.Label2}}) {
    const std::string what = n.control->objectName().toStdString();
    expect(!name(n.control).empty(), what + " has no name");
    if (n.label) {
      expect(name(n.control) == name(n.label),
             what + " is named '" + name(n.control) + "', not as " + name(n.label));
    } else {
      expect(name(n.control) == static_cast<QPushButton*>(n.control)->text().toStdString(),
             what + " is not named by its caption");
    }
  }
  for (const auto& [control, label] :
       {std::pair{d.HScroll1, d.Label5}, std::pair{d.Scr[0], d.Label1},
        std::pair{d.Scr[1], d.Label2}}) {
    bool labelled = false;
    for (const auto& [other, relation] : iface(control)->relations(QAccessible::Label)) {
      labelled = labelled || other == iface(label);
    }
    expect(labelled, control->objectName().toStdString() + " is not labelled by its caption");
  }
  const QAccessibleValueInterface* red = iface(d.Scr[0])->valueInterface();
  expect(red && red->currentValue().toInt() == d.Scr[0]->value(), "Scr(0) tells no red count");
  for (QWidget* hidden : std::initializer_list<QWidget*>{d.Label2, d.Lab[1], d.Label4, d.Scr[1]}) {
    expect(iface(hidden)->state().invisible,
           hidden->objectName().toStdString() + " is offered as showing");
  }
  return missed;
}

// The arrows sit at the two ends of a horizontal scroll bar.
QPoint LeftArrow(const QScrollBar& bar) {
  return {3, bar.height() / 2};
}
QPoint RightArrow(const QScrollBar& bar) {
  return {bar.width() - 4, bar.height() / 2};
}

// Keys go where the keyboard focus is, as a user's keys do.
QWidget& FocusOf(frm_Set& d) {
  QWidget* focus = QApplication::focusWidget();
  return focus ? *focus : *d.focusWidget();
}

void WaitUntilActive(frm_Set& d) {
  d.activateWindow();
  [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&d);
}

// One user action on the open dialog.
enum class Do {
  HScroll1To,
  ScrTo,
  ScrLeftArrow,
  ScrRightArrow,
  Type,
  Key,
  ClickOk,
  Cancel,
  CloseBox
};
struct Action {
  Do what;
  int value = 0;
  const char* text = "";
};
Action HScroll1To(int v) {
  return {Do::HScroll1To, v};
}
Action ScrTo(int v) {
  return {Do::ScrTo, v};
}
Action ClickScrLeft() {
  return {Do::ScrLeftArrow};
}
Action ClickScrRight() {
  return {Do::ScrRightArrow};
}
Action TypeInText1(const char* text) {
  return {Do::Type, 0, text};
}
Action Key(Qt::Key key) {
  return {Do::Key, key};
}
Action ClickOk() {
  return {Do::ClickOk};
}
Action ClickCancel() {
  return {Do::Cancel};
}
Action CloseBox() {
  return {Do::CloseBox};
}

void Perform(frm_Set& dialog, const Action& a) {
  const testing::DialogControls d = testing::ControlsOf(dialog);
  switch (a.what) {
    case Do::HScroll1To:
      d.HScroll1->setValue(a.value);
      break;
    case Do::ScrTo:
      d.Scr[0]->setValue(a.value);
      break;
    case Do::ScrLeftArrow:
      QTest::mouseClick(d.Scr[0], Qt::LeftButton, {}, LeftArrow(*d.Scr[0]));
      break;
    case Do::ScrRightArrow:
      QTest::mouseClick(d.Scr[0], Qt::LeftButton, {}, RightArrow(*d.Scr[0]));
      break;
    case Do::Type:
      QTest::mouseClick(d.Text1, Qt::LeftButton);
      QTest::keyClicks(d.Text1, QString::fromUtf8(a.text));
      break;
    case Do::Key:
      QTest::keyClick(&FocusOf(dialog), static_cast<Qt::Key>(a.value));
      break;
    case Do::ClickOk:
      QTest::mouseClick(d.com_OK, Qt::LeftButton);
      break;
    case Do::Cancel:
      QTest::mouseClick(d.com_Can, Qt::LeftButton);
      break;
    case Do::CloseBox:
      // What the window manager's close box sends.
      dialog.close();
      break;
  }
}

struct Message {
  std::string text;
  std::string title;
  bool overTheDialog = false;
};

// One opening of the dialog the way the menu item opens it, driven from
// inside its modal loop. Nothing is asserted in there: a failed assertion
// would leave the loop running.
struct Opening {
  bool opened = false;
  Shown atOpen;
  std::string missedAtOpen;
  Shown beforeClosing;
  bool openBeforeClosing = false;
  bool leftOpen = false;
  std::vector<Message> messages;
  bool restocked = false;
  bool destroyed = false;
  SettingsRecord settings;
};

Opening OpenAndDrive(const SettingsRecord& stored, const std::vector<Action>& actions) {
  Opening run;
  run.settings = stored;
  QPointer<frm_Set> dialog;
  auto showMessage = [&](QWidget& owner, const QString& text, const QString& title) {
    run.messages.push_back({text.toStdString(), title.toStdString(), &owner == dialog.data()});
  };
  QTimer::singleShot(0, [&] {
    dialog = qobject_cast<frm_Set*>(QApplication::activeModalWidget());
    if (!dialog) {
      return;
    }
    run.opened = true;
    WaitUntilActive(*dialog);
    run.atOpen = Observe(*dialog);
    run.missedAtOpen = WhatAScreenReaderMisses(*dialog);
    for (std::size_t i = 0; i < actions.size(); ++i) {
      if (i + 1 == actions.size()) {
        run.beforeClosing = Observe(*dialog);
        run.openBeforeClosing = dialog->isVisible();
      }
      Perform(*dialog, actions[i]);
    }
    if (dialog && dialog->isVisible()) {
      run.leftOpen = true;
      dialog->reject();
    }
  });
  if (const std::optional<SettingsChoice> choice = ShowSettingsDialog(run.settings, showMessage)) {
    // Applied as the main window applies it.
    Aquarium aquarium(run.settings);
    aquarium.Choose(choice->goldfish, choice->red);
    run.settings = aquarium.settings();
    run.restocked = true;
  }
  run.destroyed = dialog.isNull();
  return run;
}

struct Scenario {
  const char* name;
  SettingsRecord stored;
  Shown atOpen;
  std::vector<Action> actions;  // the last one closes the dialog
  Shown beforeClosing;
  int messages;
  bool restocked;
  SettingsRecord after;
};

TEST(FrmSet, Scenarios) {
  // clang-format off
  const std::vector<Scenario> scenarios = {
      // name, stored, shown at opening, actions, shown before the closing action,
      // messages, restocked, settings after
      {"default settings, OK", {0, {}}, {1, " 1", " 1", 1, "0", 0},
       {ClickOk()},
       {1, " 1", " 1", 1, "0", 0}, 0, true, {0, {}}},
      {"three stored, red stepped from 3 to 4 with the arrow", {2, {0, 0, 0, 1, 1, 1}},
       {3, " 3", " 3", 3, "0", 0},
       {ClickScrRight(), CloseBox()},
       {3, " 3", " 3", 3, "0", 0}, 1, false, {2, {0, 0, 0, 1, 1, 1}}},
      {"two stored, red jumps from 0 to 5", {1, {1, 1, 1, 0, 1, 0}},
       {2, " 2", "0", 0, " 2", 2},
       {ScrTo(5), ClickOk()},
       {2, " 2", " 2", 2, " 2", 2}, 3, true, {1, {0, 0, 1, 0, 1, 0}}},
      {"two stored, HScroll1 to 5, then red to 3: the limit stays 2", {1, {0, 1, 0, 0, 0, 0}},
       {2, " 2", " 1", 1, " 1", 1},
       {HScroll1To(5), ScrTo(3), ClickOk()},
       {5, " 5", " 2", 2, " 1", 1}, 1, true, {4, {0, 0, 1, 1, 1, 0}}},
      {"five stored with four red, lowered to two: both red", {4, {0, 0, 1, 0, 0, 1}},
       {5, " 5", " 4", 4, " 1", 1},
       {HScroll1To(2), ClickOk()},
       {2, " 2", " 4", 4, " 1", 1}, 0, true, {1, {0, 0, 0, 0, 1, 1}}},
      {"red count stepped down to 0: all black", {2, {0, 1, 0, 0, 0, 0}},
       {3, " 3", " 2", 2, " 1", 1},
       {ClickScrLeft(), ClickScrLeft(), ClickOk()},
       {3, " 3", " 0", 0, " 1", 1}, 0, true, {2, {1, 1, 1, 0, 0, 0}}},
      {"changes, then the close box", {2, {0, 1, 1, 0, 0, 0}},
       {3, " 3", " 1", 1, " 2", 2},
       {HScroll1To(5), ScrTo(3), CloseBox()},
       {5, " 5", " 3", 3, " 2", 2}, 0, false, {2, {0, 1, 1, 0, 0, 0}}},
      {"changes, then Cancel", {2, {0, 1, 1, 0, 0, 0}},
       {3, " 3", " 1", 1, " 2", 2},
       {HScroll1To(1), ClickScrLeft(), ClickCancel()},
       {1, " 1", " 0", 0, " 2", 2}, 0, false, {2, {0, 1, 1, 0, 0, 0}}},
      {"OK without a change rewrites the kinds in use; any kind but 0 is black",
       {2, {0, 7, 1, 1, 0, 1}},
       {3, " 3", " 1", 1, " 2", 2},
       {ClickOk()},
       {3, " 3", " 1", 1, " 2", 2}, 0, true, {2, {0, 1, 1, 1, 0, 1}}},
      {"text typed into Text1 has no effect", {0, {}},
       {1, " 1", " 1", 1, "0", 0},
       {TypeInText1("45"), ClickOk()},
       {1, " 145", " 1", 1, "0", 0}, 0, true, {0, {}}},
      {"Enter and Esc away from the buttons, and Esc on OK, do nothing", {1, {}},
       {2, " 2", " 2", 2, "0", 0},
       {Key(Qt::Key_Escape),
        Key(Qt::Key_Tab), Key(Qt::Key_Tab), Key(Qt::Key_Return), Key(Qt::Key_Escape),
        Key(Qt::Key_Tab), Key(Qt::Key_Return), Key(Qt::Key_Enter), Key(Qt::Key_Escape),
        Key(Qt::Key_Tab), Key(Qt::Key_Return), Key(Qt::Key_Escape), CloseBox()},
       {2, " 2", " 2", 2, "0", 0}, 0, false, {1, {}}},
      {"Enter on OK, which has the focus from the start", {0, {}},
       {1, " 1", " 1", 1, "0", 0},
       {HScroll1To(3), Key(Qt::Key_Return)},
       {3, " 3", " 1", 1, "0", 0}, 0, true, {2, {0, 1, 1, 0, 0, 0}}},
      {"Enter on Cancel", {0, {}},
       {1, " 1", " 1", 1, "0", 0},
       {HScroll1To(3), Key(Qt::Key_Tab), Key(Qt::Key_Return)},
       {3, " 3", " 1", 1, "0", 0}, 0, false, {0, {}}},
      {"arrow keys on the focused red spinner", {1, {}},
       {2, " 2", " 2", 2, "0", 0},
       {Key(Qt::Key_Tab), Key(Qt::Key_Tab), Key(Qt::Key_Right), Key(Qt::Key_Left), CloseBox()},
       {2, " 2", " 1", 1, "0", 0}, 1, false, {1, {}}},
      // Reading the file brings lastFish into range; a record that was not
      // still keeps the dialog within the six slots.
      {"lastFish above the slots: the six slots are counted", {7, {0, 1, 0, 1, 1, 0}},
       {5, " 5", " 3", 3, " 3", 3},
       {ClickOk()},
       {5, " 5", " 3", 3, " 3", 3}, 0, true, {4, {0, 0, 0, 1, 1, 1}}},
      {"negative lastFish: no fish to count", {-3, {}},
       {1, " 1", "0", 0, "0", 0},
       {ClickOk()},
       {1, " 1", "0", 0, "0", 0}, 0, true, {0, {1, 0, 0, 0, 0, 0}}},
  };
  // clang-format on

  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    const Opening run = OpenAndDrive(s.stored, s.actions);
    ASSERT_TRUE(run.opened) << "no modal frm_Set";
    EXPECT_EQ(run.atOpen, s.atOpen);
    EXPECT_EQ(run.missedAtOpen, "");
    EXPECT_EQ(run.beforeClosing, s.beforeClosing);
    EXPECT_TRUE(run.openBeforeClosing) << "closed before the closing action";
    EXPECT_FALSE(run.leftOpen) << "the closing action did not close it";
    EXPECT_EQ(run.messages.size(), static_cast<std::size_t>(s.messages));
    for (const Message& m : run.messages) {
      EXPECT_EQ(m.text, kMessage);
      EXPECT_EQ(m.title, kTitle);
      EXPECT_TRUE(m.overTheDialog);
    }
    EXPECT_EQ(run.restocked, s.restocked);
    EXPECT_EQ(run.settings, s.after);
    EXPECT_TRUE(run.destroyed) << "the dialog outlived its opening";
    if (!s.restocked) {
      // The next opening starts again from what is stored.
      EXPECT_EQ(OpenAndDrive(run.settings, {CloseBox()}).atOpen, s.atOpen);
    }
  }
}

// How many pixels of `image` inside `rect` are clearly red, or clearly dark.
int PixelsInside(const QImage& image, const QRect& rect, bool red) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      count += red ? c.red() > 200 && c.green() < 80 && c.blue() < 80
                   : c.red() < 80 && c.green() < 80 && c.blue() < 80;
    }
  }
  return count;
}

TEST(FrmSet, WhatTheUserSeesAndTheOrderTheKeysGo) {
  SettingsRecord settings{2, {0, 1, 1, 0, 0, 0}};
  frm_Set dialog(settings);
  const testing::DialogControls c = testing::ControlsOf(dialog);

  // A fixed, ownerless modal window with a close box, carrying the icon.
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Finbowl"));
  EXPECT_EQ(dialog.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
  EXPECT_EQ(dialog.parentWidget(), nullptr);
  EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.size(), QSize(255, 183));
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(dialog.windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  dialog.show();
  WaitUntilActive(dialog);
  // The shown controls lie inside the window, every caption fits its control
  // without running into another, in the face that draws it, which has the
  // Japanese glyphs. The row for black goldfish is nowhere to be seen.
  std::vector<QWidget*> shown;
  for (QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isVisible()) {
      shown.push_back(w);
    }
  }
  EXPECT_EQ(shown.size(), 11u);
  for (const QWidget* w : shown) {
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_TRUE(dialog.rect().contains(w->geometry()));
    QString caption;
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
      caption = label->text();
    } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
      caption = button->text();
    }
    if (caption.isEmpty()) {
      continue;
    }
    EXPECT_EQ(QFontInfo(w->font()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_TRUE(w->font().bold());
    const int advance = QFontMetrics(w->font()).horizontalAdvance(caption);
    EXPECT_LE(advance, w->width());
    const QRect text(w->pos(), QSize(advance, QFontMetrics(w->font()).height()));
    for (const QWidget* other : shown) {
      EXPECT_TRUE(w == other || !text.intersects(other->geometry()))
          << "runs into " << other->objectName().toStdString();
    }
  }
  for (QWidget* hidden : std::initializer_list<QWidget*>{c.Label2, c.Lab[1], c.Label4, c.Scr[1]}) {
    EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
  }

  // "赤" and "匹" are drawn in red, "金魚の数" in the window's text colour,
  // and the red count stands in a white box.
  const QImage look = dialog.grab().toImage();
  EXPECT_GT(PixelsInside(look, c.Label1->geometry(), true), 10);
  EXPECT_GT(PixelsInside(look, c.Label3->geometry(), true), 10);
  EXPECT_EQ(PixelsInside(look, c.Label5->geometry(), true), 0);
  EXPECT_GT(PixelsInside(look, c.Label5->geometry(), false), 10);
  EXPECT_EQ(look.pixelColor(c.Lab[0]->geometry().center() + QPoint(10, 0)), QColor(Qt::white));

  // Focus starts on OK, Tab walks the shown controls in their order, and
  // neither button ever becomes a default button for Enter.
  std::vector<std::string> focusOrder = {
      QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                  : "none"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(c.com_OK->isDefault());
    EXPECT_FALSE(c.com_Can->isDefault());
    QTest::keyClick(&FocusOf(dialog), Qt::Key_Tab);
    focusOrder.push_back(QApplication::focusWidget()
                             ? QApplication::focusWidget()->objectName().toStdString()
                             : "none");
  }
  EXPECT_EQ(focusOrder, (std::vector<std::string>{"com_OK", "com_Can", "Scr(0)", "Text1",
                                                  "HScroll1", "com_OK"}));
  // The number of goldfish runs from one to five.
  QTest::keyClick(c.HScroll1, Qt::Key_End);
  EXPECT_EQ(c.Text1->text(), QStringLiteral(" 5"));
  QTest::keyClick(c.HScroll1, Qt::Key_Home);
  EXPECT_EQ(c.Text1->text(), QStringLiteral(" 1"));
  dialog.close();
  EXPECT_EQ(settings, (SettingsRecord{2, {0, 1, 1, 0, 0, 0}}));
}

TEST(FrmSet, HeldArrowAtTheLimitGivesOneMessageAndStopsRepeating) {
  SettingsRecord settings{2, {0, 0, 0, 0, 0, 0}};
  int messages = 0;
  struct Seen {
    int afterPress = -1, afterWait = -1, afterRelease = -1, afterClick = -1, afterLeft = -1;
    int valueAfterWait = -1, valueAfterClick = -1, valueAfterLeft = -1;
    bool waited = false;
  } seen;
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<frm_Set*>(QApplication::activeModalWidget());
    if (!d) {
      return;
    }
    ScrollBar& scr = *testing::ControlsOf(*d).Scr[0];
    QTest::mousePress(&scr, Qt::LeftButton, {}, RightArrow(scr));
    seen.afterPress = messages;
    // Qt fires timers in the order they fall due, so once a timer due well
    // after the arrow's first repeat (500 ms) has fired, a repeat that was
    // still armed would have stepped the value and shown the message again.
    QTimer later;
    later.setTimerType(Qt::PreciseTimer);
    later.setSingleShot(true);
    later.start(1500);
    QDeadlineTimer limit(30000);
    while (later.isActive() && !limit.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    seen.waited = !later.isActive();
    seen.afterWait = messages;
    seen.valueAfterWait = scr.value();
    QTest::mouseRelease(&scr, Qt::LeftButton, {}, RightArrow(scr));
    seen.afterRelease = messages;
    // The arrows still work afterwards.
    QTest::mouseClick(&scr, Qt::LeftButton, {}, RightArrow(scr));
    seen.afterClick = messages;
    seen.valueAfterClick = scr.value();
    QTest::mouseClick(&scr, Qt::LeftButton, {}, LeftArrow(scr));
    seen.afterLeft = messages;
    seen.valueAfterLeft = scr.value();
    d->reject();
  });
  ShowSettingsDialog(settings, [&](QWidget&, const QString&, const QString&) { ++messages; });

  EXPECT_EQ(seen.afterPress, 1);
  EXPECT_TRUE(seen.waited);
  EXPECT_EQ(seen.afterWait, 1);
  EXPECT_EQ(seen.valueAfterWait, 3);
  EXPECT_EQ(seen.afterRelease, 1);
  EXPECT_EQ(seen.afterClick, 2);
  EXPECT_EQ(seen.valueAfterClick, 3);
  EXPECT_EQ(seen.afterLeft, 2);
  EXPECT_EQ(seen.valueAfterLeft, 2);
}

// Steps a test through the modal windows of the running program from a timer,
// the way a user meets them one after the other.
class ModalDriver {
 public:
  explicit ModalDriver(std::function<void(QWidget* modal)> step) : step_(std::move(step)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (deadline_.hasExpired()) {
        timedOut = true;
        CloseAllWindowsForSessionEnd();
        return;
      }
      step_(QApplication::activeModalWidget());
    });
    timer_.start(10);
  }

  bool timedOut = false;

 private:
  std::function<void(QWidget*)> step_;
  QTimer timer_;
  QDeadlineTimer deadline_{30000};
};

class FrmSetInForm1 : public ::testing::Test {
 protected:
  testing::TempDir dir;
};

// The menu item opens the dialog modally without an owner; both the dialog
// and its message box leave the main window's timers ticking; OK stores the
// choice and the dialog is gone when the menu click returns.
TEST_F(FrmSetInForm1, MenuItemOpensTheDialogAndTheTimersKeepTicking) {
  SettingsFile settingsFile{dir.File("SET")};
  Aquarium aquarium(settingsFile.Read());
  Form1 form(aquarium, settingsFile);
  SetUpWindow(form);
  int frames = 0;
  QObject::connect(form.findChild<QTimer*>(QStringLiteral("Timer1")), &QTimer::timeout,
                   [&frames] { ++frames; });
  const auto ticks = [&frames] { return frames; };

  enum {
    kWaitDialog,
    kTickInDialog,
    kWaitBox,
    kTickInBox,
    kBackInDialog,
    kDone
  } stage = kWaitDialog;
  QPointer<frm_Set> dialog;
  bool ownerless = false, modal = false;
  int ticksAtDialog = 0, ticksAtBox = 0, ticksInDialog = 0, ticksInBox = 0, redAfterBox = -1;
  std::string text, title;
  QMessageBox::Icon icon = QMessageBox::Warning;
  int buttons = 0;
  ModalDriver driver([&](QWidget* top) {
    switch (stage) {
      case kWaitDialog:
        if ((dialog = qobject_cast<frm_Set*>(top))) {
          ownerless = dialog->parentWidget() == nullptr && dialog->isWindow();
          modal = dialog->isModal();
          ticksAtDialog = ticks();
          testing::ControlsOf(*dialog).HScroll1->setValue(4);
          stage = kTickInDialog;
        }
        break;
      case kTickInDialog:
        if (ticks() >= ticksAtDialog + 3) {
          ticksInDialog = ticks() - ticksAtDialog;
          // Past the stored one goldfish: the real box opens, and its own
          // loop runs until the driver closes it.
          QTimer::singleShot(0, dialog,
                             [d = dialog] { testing::ControlsOf(*d).Scr[0]->setValue(2); });
          stage = kWaitBox;
        }
        break;
      case kWaitBox:
        if (auto* box = qobject_cast<QMessageBox*>(top)) {
          text = box->text().toStdString();
          title = box->windowTitle().toStdString();
          icon = box->icon();
          buttons = static_cast<int>(box->buttons().size());
          ticksAtBox = ticks();
          stage = kTickInBox;
        }
        break;
      case kTickInBox:
        if (ticks() >= ticksAtBox + 3) {
          ticksInBox = ticks() - ticksAtBox;
          if (auto* box = qobject_cast<QMessageBox*>(top)) {
            box->button(QMessageBox::Ok)->click();
          }
          stage = kBackInDialog;
        }
        break;
      case kBackInDialog:
        if (top == dialog.data()) {
          redAfterBox = testing::ControlsOf(*dialog).Scr[0]->value();
          testing::ControlsOf(*dialog).com_OK->click();
          stage = kDone;
        }
        break;
      case kDone:
        break;
    }
  });
  form.findChild<QAction*>(QStringLiteral("mnuSetSyu"))->trigger();

  EXPECT_FALSE(driver.timedOut);
  EXPECT_EQ(stage, kDone);
  EXPECT_TRUE(ownerless);
  EXPECT_TRUE(modal);
  EXPECT_GE(ticksInDialog, 3);
  EXPECT_GE(ticksInBox, 3);
  EXPECT_EQ(text, kMessage);
  EXPECT_EQ(title, kTitle);
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(redAfterBox, 1);
  EXPECT_TRUE(dialog.isNull());
  const SettingsRecord chosen{3, {0, 1, 1, 1, 0, 0}};
  EXPECT_EQ(aquarium.settings(), chosen);
  // A screen reader is told what swims in the tank now.
  QAccessibleInterface* tank = QAccessible::queryAccessibleInterface(&form.Client());
  EXPECT_EQ(tank->text(QAccessible::Name), QStringLiteral("水槽"));
  EXPECT_EQ(tank->text(QAccessible::Description), QStringLiteral("金魚 4匹（赤 1匹、黒 3匹）"));
  // The user chose these: they are in SET before the window closes.
  const SettingsBytes bytes = EncodeSettings(chosen);
  EXPECT_EQ(testing::ReadBytes(dir.File("SET")),
            std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_TRUE(form.isVisible());
}

// A session end while the dialog, or its message box, is open closes them
// without applying anything, then closes the main window, which writes the
// stored settings. The check that the box returns into must not step back
// and show further boxes.
TEST_F(FrmSetInForm1, SessionEndClosesTheDialogAndItsMessageWithoutApplying) {
  for (const bool withMessage : {false, true}) {
    SCOPED_TRACE(withMessage ? "message box open" : "dialog open");
    const SettingsRecord stored{1, {1, 1, 0, 0, 0, 0}};
    const SettingsBytes bytes = EncodeSettings(stored);
    // Only the record's first six bytes: the close writes all fourteen.
    testing::WriteBytes(dir.File("SET"), {bytes.begin(), bytes.begin() + 6});
    SettingsFile settingsFile{dir.File("SET")};
    Aquarium aquarium(settingsFile.Read());
    Form1 form(aquarium, settingsFile);
    SetUpWindow(form);

    QPointer<frm_Set> dialog;
    int boxes = 0;
    ModalDriver driver([&](QWidget* top) {
      if (auto* box = qobject_cast<QMessageBox*>(top)) {
        ++boxes;
        if (boxes == 1) {
          CloseAllWindowsForSessionEnd();
        } else {
          box->button(QMessageBox::Ok)->click();
        }
      } else if (!dialog && (dialog = qobject_cast<frm_Set*>(top))) {
        testing::ControlsOf(*dialog).HScroll1->setValue(5);
        if (withMessage) {
          // Three above the limit of 2; the box opens inside this call.
          QTimer::singleShot(0, dialog,
                             [d = dialog] { testing::ControlsOf(*d).Scr[0]->setValue(5); });
        } else {
          testing::ControlsOf(*dialog).Scr[0]->setValue(2);
          CloseAllWindowsForSessionEnd();
        }
      }
    });
    form.findChild<QAction*>(QStringLiteral("mnuSetSyu"))->trigger();

    EXPECT_FALSE(driver.timedOut);
    EXPECT_EQ(boxes, withMessage ? 1 : 0);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(aquarium.settings(), stored);
    EXPECT_EQ(testing::ReadBytes(dir.File("SET")),
              std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
}

}  // namespace
}  // namespace finbowl
