#include "shell/form1.h"

#include <QCloseEvent>
#include <QMenuBar>

#include "dialog/frm_set.h"
#include "render/frame_step.h"
#include "shell/desktop_integration/window_frame.h"
#include "sim/live_fish.h"

namespace finbowl {
namespace {

constexpr int kFrameMilliseconds = 100;
constexpr int kSlowTickMilliseconds = 2500;

}  // namespace

Form1::Form1(Aquarium& aquarium, SettingsFile& settingsFile)
    : aquarium_(aquarium), settingsFile_(settingsFile), platform_(CreateDrawingPlatform()) {
  setWindowTitle(QStringLiteral("Finbowl"));
  // The window has a fixed size, so maximising it would only add a border.
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);

  QMenu* mnuSet = menuBar()->addMenu(QStringLiteral("設定"));
  mnuSet->setObjectName(QStringLiteral("mnuSet"));
  QAction* mnuSetSyu = mnuSet->addAction(QStringLiteral("数＆種類"));
  mnuSetSyu->setObjectName(QStringLiteral("mnuSetSyu"));
  connect(mnuSetSyu, &QAction::triggered, this, &Form1::mnuSetSyu_Click);

  client_ = new QWidget(this);
  setCentralWidget(client_);
  client_->setAccessibleName(QStringLiteral("水槽"));

  // Each surface that holds a picture has it from the start.
  tank_ = std::make_unique<Tank>(*platform_, LoadPictures(), client_);

  // The frame keeps its beat to the millisecond; the slow tick may drift.
  Timer1.setObjectName(QStringLiteral("Timer1"));
  Timer2.setObjectName(QStringLiteral("Timer2"));
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
  connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
  Timer1.start(kFrameMilliseconds);
  Timer2.start(kSlowTickMilliseconds);
}

Form1::~Form1() = default;

void Form1::closeEvent(QCloseEvent* event) {
  settingsFile_.Close();
  event->accept();
}

void Form1::Timer1_Timer() {
  FrameStep(*tank_, aquarium_, ClientWidth());
}

void Form1::Restock() {
  StockTank(*tank_, aquarium_, [this] { return ClientHeight(); });
  // Said again only when what swims changes, never frame by frame.
  const KindCounts counts = CountKinds(aquarium_.settings());
  client_->setAccessibleDescription(QStringLiteral("金魚 %1匹（赤 %2匹、黒 %3匹）")
                                        .arg(counts.red + counts.black)
                                        .arg(counts.red)
                                        .arg(counts.black));
}

void Form1::Timer2_Timer() {
  aquarium_.SlowTick();
}

void Form1::mnuSetSyu_Click() {
  // The dialog is gone by the time the tank is restocked.
  if (const std::optional<SettingsChoice> choice = ShowSettingsDialog(aquarium_.settings())) {
    aquarium_.Choose(choice->goldfish, choice->red);
    settingsFile_.Confirm(aquarium_.settings());
    Restock();
  }
}

void SetUpWindow(Form1& form) {
  // Width first, then the height: a menu bar that wraps at the new width is
  // then counted with its final height.
  QSize outer = OuterSize(form);
  const int clientWidth = ClientSize(form, form.Client()).width();
  SetOuterSize(form, {outer.width() - clientWidth + kTankWidth, outer.height()});
  outer = OuterSize(form);
  const int clientHeight = ClientSize(form, form.Client()).height();
  SetOuterSize(form, {outer.width(), outer.height() - clientHeight + kTankHeight});
  // The tank does not scale, so neither does the window.
  form.setFixedSize(form.size());

  // Centred on the whole screen; a screen smaller than the window leaves it
  // hanging over both edges alike.
  PlaceWindow(form, [&form] {
    const QSize screen = ScreenSize(form);
    const QSize size = OuterSize(form);
    return QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
  });

  form.show();
}

}  // namespace finbowl
