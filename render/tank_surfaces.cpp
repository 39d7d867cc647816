#include "render/tank_surfaces.h"

#include "render/frame_step.h"
#include "render/pictures.h"
#include "render/sprite_bounds.h"

namespace finbowl {

TankSurfaces::TankSurfaces(DrawingPlatform& platform, QWidget* parent) {
  const Pictures& pictures = LoadPictures();
  suisou = platform.CreateVisibleSurface(parent, pictures.tank.width(), pictures.tank.height(),
                                         &pictures.tank);
  work = platform.CreateSurface(1, 1, nullptr);
  back = platform.CreateSurface(1, 1, nullptr);
  for (std::size_t i = 0; i < pat.size(); ++i) {
    pat[i] =
        platform.CreateSurface(pictures.pat[i].width(), pictures.pat[i].height(), &pictures.pat[i]);
  }
  awa = platform.CreateSurface(pictures.awa.width(), pictures.awa.height(), &pictures.awa);
  drawnInWork.AddEverything();
  drawnInImage.AddEverything();
  // A frame that was not drawn while the tank was hidden is drawn as soon as
  // the tank can be seen again.
  suisou->SetCatchUp([this] {
    if (!latestDrawn) {
      DrawLatestFrame(*this);
    }
  });
  // Worked out now, with the pictures at hand, rather than in the first frame.
  LoadSpriteBounds();
}

TankSurfaces::~TankSurfaces() {
  delete suisou;
}

void SizeTankSurfaces(TankSurfaces& s) {
  s.suisou->setGeometry(0, 0, kTankWidth, kTankHeight);
  s.suisou->Image().SetSize(kTankWidth, kTankHeight);
  s.work->SetSize(kTankWidth, kTankHeight);
  s.back->SetSize(kTankWidth, kTankHeight);
  BitBlt(*s.back, 0, 0, kTankWidth, kTankHeight, s.suisou->Image(), 0, 0, RasterOp::SrcCopy);
  s.drawnInWork.AddEverything();
  s.drawnInImage.AddEverything();
}

}  // namespace finbowl
