#include "render/tank_surfaces.h"

#include <utility>

#include "render/pictures.h"
#include "render/sprite_bounds.h"
#include "sim/fish_table.h"

namespace finbowl {

TankSurfaces& TankSurfaces::operator=(TankSurfaces&& other) noexcept {
  if (this != &other) {
    delete suisou;
    suisou = std::exchange(other.suisou, nullptr);
    work = std::move(other.work);
    back = std::move(other.back);
    pat = std::move(other.pat);
    awa = std::move(other.awa);
  }
  return *this;
}

TankSurfaces CreateTankSurfaces(DrawingPlatform& platform, QWidget* parent) {
  const Pictures& pictures = LoadPictures();
  TankSurfaces s;
  s.suisou = platform.CreateVisibleSurface(parent, pictures.tank.width(), pictures.tank.height(),
                                           &pictures.tank);
  s.work = platform.CreateSurface(1, 1, nullptr);
  s.back = platform.CreateSurface(1, 1, nullptr);
  for (std::size_t i = 0; i < s.pat.size(); ++i) {
    s.pat[i] =
        platform.CreateSurface(pictures.pat[i].width(), pictures.pat[i].height(), &pictures.pat[i]);
    s.pat[i]->HoldsSprites(0, kFishCell);
  }
  s.awa = platform.CreateSurface(pictures.awa.width(), pictures.awa.height(), &pictures.awa);
  s.awa->HoldsSprites(0, kBubbleCell);
  // Worked out now, with the pictures at hand, rather than in the first frame.
  LoadSpriteBounds();
  return s;
}

void SizeTankSurfaces(TankSurfaces& s) {
  s.suisou->setGeometry(0, 0, kTankWidth, kTankHeight);
  s.suisou->Image().SetSize(kTankWidth, kTankHeight);
  s.work->SetSize(kTankWidth, kTankHeight);
  s.back->SetSize(kTankWidth, kTankHeight);
  BitBlt(*s.back, 0, 0, kTankWidth, kTankHeight, s.suisou->Image(), 0, 0, RasterOp::SrcCopy);
}

}  // namespace finbowl
