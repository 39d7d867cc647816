// The same frames every run, for counting what the display server does for
// them: a visible tank on the windowing system the program runs on, five
// goldfish on a clock that never moves, and a fixed number of frames, each
// handed to the server before the next (so that the server's work is that of
// this many frames, whatever else runs), then the program ends.
//   finbowl_frame_traffic [FRAMES]   (default 300)
#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>

#include "render/pictures.h"
#include "render/tank.h"
#include "support/swimming.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  auto platform = finbowl::CreateDrawingPlatform();
  QWidget window;
  window.resize(finbowl::kTankWidth, finbowl::kTankHeight);
  finbowl::Tank tank(*platform, finbowl::LoadPictures(), &window);
  window.show();
  while (!window.windowHandle() || !window.windowHandle()->isExposed()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  }
  finbowl::testing::Swimming swimming(7);
  for (int i = 0; i < frames; ++i) {
    swimming.Frames(tank, 1);
    QCoreApplication::processEvents();
    QApplication::sync();
  }
  return 0;
}
