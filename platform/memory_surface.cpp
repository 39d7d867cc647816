#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "platform/memory_surface.h"

namespace finbowl {
namespace {

// `picture` at the corner of a w x h image, cut to it and black beyond.
QImage MakeImage(int w, int h, const QImage* picture) {
  QImage image(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
  image.fill(Qt::black);
  if (picture && !picture->isNull() && !image.isNull()) {
    QPainter(&image).drawImage(0, 0, picture->convertToFormat(QImage::Format_RGB32));
  }
  return image;
}

// Runs `op(out, in, inStride)` on each row of a copy from `src` to `dst`;
// restrict rows let the loops vectorise.
template <typename Op>
void ForEachRow(QImage& dst, const QImage& src, const Copy& c, Op op) {
  const qsizetype dstStride = dst.bytesPerLine() / 4, srcStride = src.bytesPerLine() / 4;
  QRgb* d = reinterpret_cast<QRgb*>(dst.bits()) + c.to.y * dstStride + c.to.x;
  const QRgb* s = reinterpret_cast<const QRgb*>(src.constBits()) + c.sy * srcStride + c.sx;
  for (int row = 0; row < c.to.h; ++row, d += dstStride, s += srcStride) {
    op(static_cast<QRgb* __restrict>(d), static_cast<const QRgb* __restrict>(s), srcStride);
  }
}

template <RasterOp op>
void Combine(QImage& dst, const QImage& src, const Copy& c) {
  const int w = c.to.w;
  ForEachRow(dst, src, c, [w](QRgb* __restrict out, const QRgb* __restrict in, qsizetype) {
    for (int x = 0; x < w; ++x) {
      out[x] = ApplyRasterOp(op, in[x], out[x]);
    }
  });
}

struct MemorySheet final : SpriteSheet {
  explicit MemorySheet(const QImage& picture)
      : SpriteSheet(picture.width(), picture.height()),
        pixels(picture.convertToFormat(QImage::Format_RGB32)) {}
  const QImage pixels;
};

}  // namespace

MemorySurface::MemorySurface(int w, int h, const QImage* picture)
    : Surface(std::max(w, 0), std::max(h, 0)), image(MakeImage(w, h, picture)) {}

void MemorySurface::Blit(const Copy& copy, const Surface& src, RasterOp op) {
  const QImage& from = static_cast<const MemorySurface&>(src).image;
  if (op == RasterOp::SrcCopy) {
    Combine<RasterOp::SrcCopy>(image, from, copy);
  } else if (op == RasterOp::SrcErase) {
    Combine<RasterOp::SrcErase>(image, from, copy);
  } else {
    Combine<RasterOp::SrcInvert>(image, from, copy);
  }
}

void MemorySurface::Paste(const Copy& copy, const SpriteSheet& sheet) {
  // Both raster copies in one pass: C XOR (M AND NOT D).
  const int w = copy.to.w, maskDy = sheet.height / 2;
  ForEachRow(image, static_cast<const MemorySheet&>(sheet).pixels, copy,
             [w, maskDy](QRgb* __restrict out, const QRgb* __restrict in, qsizetype stride) {
               const QRgb* __restrict mask = in + maskDy * stride;
               for (int x = 0; x < w; ++x) {
                 out[x] = ApplyRasterOp(RasterOp::SrcInvert, in[x],
                                        ApplyRasterOp(RasterOp::SrcErase, mask[x], out[x]));
               }
             });
}

MemoryVisibleSurface::MemoryVisibleSurface(QWidget* parent, const Surface& frame,
                                           std::function<void()> complete)
    : VisibleSurface(parent, frame, std::move(complete)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void MemoryVisibleSurface::Present(std::span<const Rect> parts) {
  for (const Rect& part : parts) {
    update(part.x, part.y, part.w, part.h);
  }
}

void MemoryVisibleSurface::paintEvent(QPaintEvent* event) {
  // Part by part, not their bounding rectangle, which would cover most of
  // the tank when the fish are far apart; parts share one scale, so they
  // meet without a seam at any device-pixel ratio.
  const QImage& image = static_cast<const MemorySurface&>(CompleteFrame()).image;
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& part : event->region()) {
    const QRect shown = part & image.rect();
    painter.drawImage(shown, image, shown);
  }
}

std::unique_ptr<Surface> MemoryPlatform::CreateSurface(int w, int h, const QImage* picture) {
  return std::make_unique<MemorySurface>(w, h, picture);
}

std::unique_ptr<SpriteSheet> MemoryPlatform::CreateSpriteSheet(const QImage& sheet) {
  return std::make_unique<MemorySheet>(sheet);
}

std::unique_ptr<VisibleSurface> MemoryPlatform::CreateVisibleSurface(
    QWidget* parent, const Surface& frame, std::function<void()> complete) {
  return std::make_unique<MemoryVisibleSurface>(parent, frame, std::move(complete));
}

std::unique_ptr<DrawingPlatform> CreateMemoryPlatform() {
  return std::make_unique<MemoryPlatform>();
}

}  // namespace finbowl
