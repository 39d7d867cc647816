#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>

#include "render/tank.h"
#include "shell/settings_file.h"
#include "sim/aquarium.h"

namespace finbowl {

// The main window: the tank below a one-item menu, its picture surfaces, and
// the two timers that drive the aquarium. It works on the running aquarium
// and the settings file, which outlive it. Its timers and menu carry their
// names as object names.
class Form1 final : public QMainWindow {
 public:
  Form1(Aquarium& aquarium, SettingsFile& settingsFile);
  ~Form1() override;

  Tank& tank() { return *tank_; }
  // The client area below the menu bar; the tank sits at its top-left corner.
  QWidget& Client() { return *client_; }
  int ClientWidth() const { return client_->width(); }
  int ClientHeight() const { return client_->height(); }

  // Stocks the tank from the settings in the window's client area and draws
  // the fish into work: at start-up, and after each confirmed choice.
  void Restock();

 protected:
  // The unload: the settings file has its say, and the close always goes on.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Timer1_Timer();
  void Timer2_Timer();
  void mnuSetSyu_Click();

  Aquarium& aquarium_;
  SettingsFile& settingsFile_;

  std::unique_ptr<DrawingPlatform> platform_;  // outlives the surfaces below
  QWidget* client_ = nullptr;
  std::unique_ptr<Tank> tank_;
  // Declared after the tank, so they stop before the surfaces they draw on go.
  QTimer Timer1{this};  // the frame, every 100 ms
  QTimer Timer2{this};  // the slow behaviour tick, every 2500 ms
};

// Fits the client area to the 640 x 450 tank, centres the window on the screen
// and shows the window.
void SetUpWindow(Form1& form);

}  // namespace finbowl
