#include "render/pictures.h"

#include <QColorSpace>
#include <cstdio>

namespace finbowl {
namespace {

QImage Load(const char* name, int w, int h) {
  QImage image(QStringLiteral(":/assets/") + QLatin1String(name));
  if (image.size() != QSize(w, h)) {
    std::fprintf(stderr, "finbowl: the built-in picture %s is damaged; drawing it blank\n", name);
    image = QImage(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
  }
  // The pixels are taken as they are: no colour management, whatever the file says.
  image.setColorSpace(QColorSpace());
  return image;
}

}  // namespace

Pictures LoadPictures() {
  Pictures p;
  p.tank = Load("tank.png", kTankPictureWidth, kTankPictureHeight);
  p.pat[0] = Load("pat0.png", kSheetWidth, kSheetHeight);
  p.pat[1] = Load("pat1.png", kSheetWidth, kSheetHeight);
  p.pat[2] = Load("pat2.png", kSheetWidth, kSheetHeight);
  p.pat[3] = Load("pat3.png", kSheetWidth, kSheetHeight);
  p.awa = Load("awa.png", kBubblePictureSize, kBubblePictureSize);
  return p;
}

QIcon ProgramIcon() {
  // Each size is drawn for itself, so the window manager never has to scale
  // one up. The window carries the sizes window managers draw in title bars
  // and task bars; the 128 and 256 pixel drawings, for launchers and task
  // switchers, come from the icon theme through the desktop entry. Decoding
  // them and handing them to the window as well would cost the start-up
  // about 8 ms.
  QIcon icon;
  for (int size : {32, 16, 24, 48, 64}) {
    icon.addFile(QStringLiteral(":/assets/icon%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace finbowl
