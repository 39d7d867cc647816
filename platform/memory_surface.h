#pragma once

#include <optional>

#include "platform/surface.h"

namespace finbowl {

// Surfaces as 32-bit images in the program's memory, drawn with our own loops;
// Qt paints the visible tank. Works on every Qt platform, including Wayland
// and the headless one the tests use.
class MemoryPlatform final : public DrawingPlatform {
 public:
  const char* Name() const override { return "memory"; }
  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override;
  VisibleSurface* CreateVisibleSurface(QWidget* parent, int w, int h,
                                       const QImage* picture) override;
};

class MemorySurface final : public Surface {
 public:
  MemorySurface(const DrawingPlatform& platform, int w, int h, const QImage* picture);

  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  void SetSize(int w, int h) override;
  QImage Read() const override { return image_; }

  // The pixels, Format_RGB32. The visible tank paints straight from them.
  const QImage& Pixels() const { return image_; }

 private:
  void Blit(const BlitRect& rect, const Surface& src, RasterOp op) override;
  void BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) override;

  std::optional<QImage> picture_;
  QImage image_;
};

}  // namespace finbowl
