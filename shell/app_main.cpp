#include "shell/app_main.h"

namespace finbowl {

void Main(Run& run) {
  run.aquarium.emplace(run.settingsFile.Read());
  // When the display goes away, the toolkit calls exit() from inside the
  // event loop: the window never closes, and only the exit still reaches SET.
  run.settingsFile.CloseAtExit();
  run.form1.emplace(*run.aquarium, run.settingsFile);
  SetUpWindow(*run.form1);
  run.form1->Restock();
}

}  // namespace finbowl
