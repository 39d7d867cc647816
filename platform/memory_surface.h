#pragma once

#include <QImage>

#include "platform/surface.h"

namespace finbowl {

// A surface whose pixels are an RGB32 image in the program's memory, drawn by
// our own loops.
struct MemorySurface final : Surface {
  MemorySurface(int w, int h, const QImage* picture);
  // Over RGB32 pixels held elsewhere, such as memory shared with a compositor.
  explicit MemorySurface(QImage pixels)
      : Surface(pixels.width(), pixels.height()), image(std::move(pixels)) {}

  QImage image;

 private:
  void Blit(const Copy& copy, const Surface& src, RasterOp op) override;
  void Paste(const Copy& copy, const SpriteSheet& sheet) override;
};

// The visible tank painted by the toolkit from a frame in memory: presenting
// asks it to repaint the parts once the frame has returned to the event loop,
// and the compositor (or X server) is handed only those parts.
class MemoryVisibleSurface : public VisibleSurface {
 public:
  MemoryVisibleSurface(QWidget* parent, const Surface& frame, std::function<void()> complete);
  void Present(std::span<const Rect> parts) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Surfaces in memory; the Wayland platform shows its tank its own way.
class MemoryPlatform : public DrawingPlatform {
 public:
  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override;
  std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) override;
  std::unique_ptr<VisibleSurface> CreateVisibleSurface(QWidget* parent, const Surface& frame,
                                                       std::function<void()> complete) override;
};

}  // namespace finbowl
