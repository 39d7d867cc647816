#include "shell/app_main.h"

#include <cstdlib>

namespace finbowl {
namespace {

// The run in progress. When the display goes away, Qt calls exit(1) from
// inside the event loop: the window gets no close, and main's stack is never
// unwound, so only a handler run by exit still reaches the settings.
Aquarium* running = nullptr;

void SaveIfNeverClosed() {
  if (running && !running->settingsFile.closed) {
    WriteSettings(running->settings, running->settingsFile);
  }
}

}  // namespace

Aquarium::~Aquarium() {
  // main is returning: the run ended through the event loop, not by exit().
  running = nullptr;
}

void Main(Aquarium& aquarium) {
  ReadSettings(aquarium.settings, aquarium.settingsFile);
  aquarium.form1.emplace(aquarium.settings, aquarium.fishTable, aquarium.random,
                         aquarium.settingsFile);
  running = &aquarium;
  std::atexit(SaveIfNeverClosed);
  SetUpWindow(*aquarium.form1);
  aquarium.form1->StockTank();
}

}  // namespace finbowl
