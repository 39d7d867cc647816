#include "dialog/frm_set.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "sim/live_fish.h"

namespace finbowl {
namespace {

constexpr int kClientWidth = 255;
constexpr int kClientHeight = 183;

const QColor kRedText(255, 0, 0);
const QColor kBlackText(0, 0, 0);
const QColor kWhite(255, 255, 255);

QFont DialogFont(double points) {
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  // A whole-point size would turn 14.25 pt into 14.
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

// The number boxes keep a place for the sign in front of the digits.
QString ChangeEventText(int value) {
  return QStringLiteral(" ") + QString::number(value);
}

void SetColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(role, colour);
  widget.setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& rect,
                  double points) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setGeometry(rect);
  label->setFont(DialogFont(points));
  // The captions were placed for text that starts at the top-left corner.
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// A white box for a count, under which its spinner sits.
QLabel* MakeNumberBox(QWidget* parent, const QString& name, const QRect& rect) {
  QLabel* box = MakeLabel(parent, name, QString(), rect, 14.25);
  box->setAutoFillBackground(true);
  SetColour(*box, QPalette::Window, kWhite);
  box->setFrameStyle(QFrame::Box | QFrame::Plain);
  box->setLineWidth(1);
  box->setIndent(0);
  box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return box;
}

ScrollBar* MakeScrollBar(QWidget* parent, const QString& name, const QRect& rect, int minimum,
                         int maximum) {
  auto* bar = new ScrollBar(parent);
  bar->setObjectName(name);
  bar->setGeometry(rect);
  bar->setRange(minimum, maximum);
  bar->setValue(minimum);
  bar->setSingleStep(1);
  bar->setPageStep(1);
  return bar;
}

// Makes `label` the label of `control`, whose name for assistive technology
// is then the label's caption.
void LabelFor(QWidget& control, QLabel& label) {
  control.setAccessibleName(label.text());
  label.setBuddy(&control);
}

CommandButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                          const QRect& rect) {
  auto* button = new CommandButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(rect);
  button->setFont(DialogFont(9));
  return button;
}

}  // namespace

void ShowMessageBox(QWidget& owner, const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, &owner);
  // Some styles decorate the standard buttons; this box shows words only.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  box.exec();
}

ScrollBar::ScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::StrongFocus);
  // Qt inverts a scroll bar's keys for vertical bars' sake, which would make
  // the right arrow key lower the count.
  setInvertedControls(false);
}

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
  // An auto-default button would make itself the dialog's default button.
  setAutoDefault(false);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    click();
    return;
  }
  QPushButton::keyPressEvent(event);
}

frm_Set::frm_Set(const SettingsRecord& settings, ShowMessageFn showMessage)
    : QDialog(nullptr), settings_(settings), showMessage_(std::move(showMessage)) {
  setObjectName(QStringLiteral("frm_Set"));
  setWindowTitle(QStringLiteral("Finbowl"));
  // A title bar with the close box only: the size is fixed, and a dialog
  // that waits for an answer is not minimised.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowModality(Qt::ApplicationModal);
  // Every control has a fixed place; a larger window would only show empty space.
  setFixedSize(kClientWidth, kClientHeight);

  Label5 =
      MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("金魚の数"), {6, 24, 83, 27}, 14.25);
  Text1 = new QLineEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setGeometry(97, 16, 39, 35);
  Text1->setFont(DialogFont(18));
  Label6 =
      MakeLabel(this, QStringLiteral("Label6"), QStringLiteral("１"), {149, 23, 19, 25}, 14.25);
  HScroll1 = MakeScrollBar(this, QStringLiteral("HScroll1"), {167, 17, 58, 31}, 1, 5);
  Label7 =
      MakeLabel(this, QStringLiteral("Label7"), QStringLiteral("５"), {231, 24, 20, 27}, 14.25);

  Label1 = MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("赤"), {27, 85, 22, 18}, 12);
  SetColour(*Label1, QPalette::WindowText, kRedText);
  Lab[0] = MakeNumberBox(this, QStringLiteral("Lab(0)"), {56, 79, 31, 26});
  Label3 = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("匹"), {96, 84, 23, 18}, 12);
  SetColour(*Label3, QPalette::WindowText, kRedText);
  Scr[0] = MakeScrollBar(this, QStringLiteral("Scr(0)"), {57, 105, 31, 17}, 0, 5);

  com_OK = MakeButton(this, QStringLiteral("com_OK"), QStringLiteral("O K"), {147, 104, 54, 21});
  com_Can =
      MakeButton(this, QStringLiteral("com_Can"), QStringLiteral("Cancel"), {146, 142, 54, 21});

  // The row for black goldfish is part of the dialog but never shown.
  Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("黒"), {27, 134, 22, 18}, 12);
  SetColour(*Label2, QPalette::WindowText, kBlackText);
  Lab[1] = MakeNumberBox(this, QStringLiteral("Lab(1)"), {56, 129, 31, 26});
  Label4 = MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("匹"), {93, 134, 23, 18}, 12);
  SetColour(*Label4, QPalette::WindowText, kBlackText);
  Scr[1] = MakeScrollBar(this, QStringLiteral("Scr(1)"), {56, 155, 31, 17}, 0, 5);
  for (QWidget* hidden : std::initializer_list<QWidget*>{Label2, Lab[1], Label4, Scr[1]}) {
    hidden->hide();
  }

  // What a screen reader says of each control that takes the focus: the
  // words the dialog shows beside it. The number box and the slider share
  // theirs, which labels the slider that sets the number.
  Text1->setAccessibleName(Label5->text());
  LabelFor(*HScroll1, *Label5);
  LabelFor(*Scr[0], *Label1);
  LabelFor(*Scr[1], *Label2);

  setTabOrder(com_OK, com_Can);
  setTabOrder(com_Can, Scr[0]);
  setTabOrder(Scr[0], Scr[1]);
  setTabOrder(Scr[1], Text1);
  setTabOrder(Text1, HScroll1);

  connect(HScroll1, &QScrollBar::valueChanged, this, &frm_Set::HScroll1_Change);
  for (int i = 0; i < 2; ++i) {
    connect(Scr[static_cast<std::size_t>(i)], &QScrollBar::valueChanged, this,
            [this, i] { Scr_Change(i); });
  }
  connect(com_OK, &QPushButton::clicked, this, &frm_Set::com_OK_Click);
  connect(com_Can, &QPushButton::clicked, this, &frm_Set::com_Can_Click);

  Form_Load();
  com_OK->setFocus();
}

void frm_Set::done(int result) {
  closing_ = true;
  QDialog::done(result);
}

void frm_Set::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void frm_Set::Form_Load() {
  HScroll1->setValue(settings_.lastFish + 1);
  // Setting the initial 1 again raises no change event; Text1 shows it all the same.
  HScroll1_Change();

  // The live fish as everything else counts them, within the six slots
  // whatever the record holds.
  const KindCounts counts = CountKinds(settings_);
  // The counts go in without the leading space; the change events that follow
  // add it, except for a count of 0, which leaves the scroll bar where it is.
  Lab[0]->setText(QString::number(counts.red));
  Scr[0]->setValue(counts.red);
  Lab[1]->setText(QString::number(counts.black));
  Scr[1]->setValue(counts.black);
}

void frm_Set::HScroll1_Change() {
  Text1->setText(ChangeEventText(HScroll1->value()));
}

void frm_Set::Scr_Change(int index) {
  ScrollBar& scr = *Scr[static_cast<std::size_t>(index)];
  Lab[static_cast<std::size_t>(index)]->setText(ChangeEventText(scr.value()));

  // The limit is the number of goldfish stored, not the one HScroll1 shows now,
  // and it is checked against the red box whichever scroll bar moved.
  const int shownRed = Lab[0]->text().trimmed().toInt();
  const int storedFish = settings_.lastFish + 1;
  if (shownRed <= storedFish) {
    return;
  }
  scr.StopRepeat();
  showMessage_(*this, QStringLiteral("金魚の数が設定数を超えてます"), QStringLiteral("入力ｴﾗｰ"));
  if (closing_) {
    return;
  }
  // Re-enters this check for the lower value, so a jump of several units
  // above the limit gives one message for each of them.
  scr.setValue(scr.value() - 1);
}

void frm_Set::com_OK_Click() {
  // The red count shown may exceed the number of goldfish chosen since: all
  // of them are then red.
  choice_ = SettingsChoice{HScroll1->value(), Scr[0]->value()};
  accept();
}

void frm_Set::com_Can_Click() {
  reject();
}

std::optional<SettingsChoice> ShowSettingsDialog(const SettingsRecord& settings,
                                                 ShowMessageFn showMessage) {
  frm_Set dialog(settings, std::move(showMessage));
  dialog.exec();
  return dialog.choice();
}

}  // namespace finbowl
