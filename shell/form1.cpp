#include "shell/form1.h"

#include <QCloseEvent>
#include <QMenuBar>

#include "dialog/frm_set.h"
#include "render/frame_step.h"
#include "shell/window_frame.h"
#include "sim/live_fish.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"

namespace finbowl {
namespace {

constexpr int kFrameMilliseconds = 100;
constexpr int kSlowTickMilliseconds = 2500;

}  // namespace

Form1::Form1(SettingsRecord& settings, FishTable& fishTable, RandomSource& random,
             SettingsFile& settingsFile)
    : settings_(settings),
      fishTable_(fishTable),
      random_(random),
      settingsFile_(settingsFile),
      platform_(CreateDrawingPlatform()) {
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
  WriteSettings(settings_, settingsFile_);
  event->accept();
}

void Form1::Timer1_Timer() {
  FrameStep(*tank_, fishTable_, settings_, random_, ClientWidth());
}

void Form1::StockTank() {
  finbowl::StockTank(fishTable_, settings_, random_, [this] { return ClientHeight(); });
  // What stocking draws lands in the buffer only, and the next frame starts
  // from the bare tank again, so drawing after the records are set gives the
  // same pixels as drawing each fish as it is placed.
  const int lastFish = LastLiveFish(settings_);
  for (int i = 0; i <= lastFish; ++i) {
    tank_->DrawFish(fishTable_.fish[static_cast<std::size_t>(i)]);
  }
}

void Form1::Timer2_Timer() {
  SlowTick(fishTable_, settings_, random_);
}

void Form1::mnuSetSyu_Click() {
  // The dialog is gone by the time the tank is restocked.
  if (ShowSettingsDialog(settings_)) {
    settingsFile_.chosen = true;
    StockTank();
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
