#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "platform/surface.h"

namespace finbowl {
namespace {

// `picture` at the corner of a w x h image, cut to it and black beyond.
QImage MakeImage(int w, int h, const QImage* picture) {
  QImage image(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
  image.fill(Qt::black);
  if (picture && !image.isNull()) {
    const QImage pixels = picture->convertToFormat(QImage::Format_RGB32);
    const int rows = std::min(image.height(), pixels.height());
    const auto bytes = static_cast<std::size_t>(std::min(image.width(), pixels.width())) * 4;
    for (int row = 0; row < rows; ++row) {
      std::memcpy(image.scanLine(row), pixels.constScanLine(row), bytes);
    }
  }
  return image;
}

// Row by row through two images, from the corners a copy gives.
template <typename Op>
void ForEachRow(QImage& dst, const QImage& src, const Copy& c, Op op) {
  const qsizetype dstStride = dst.bytesPerLine() / qsizetype{sizeof(QRgb)};
  const qsizetype srcStride = src.bytesPerLine() / qsizetype{sizeof(QRgb)};
  QRgb* d = reinterpret_cast<QRgb*>(dst.bits()) + c.to.y * dstStride + c.to.x;
  const QRgb* s = reinterpret_cast<const QRgb*>(src.constBits()) + c.sy * srcStride + c.sx;
  for (int row = 0; row < c.to.h; ++row, d += dstStride, s += srcStride) {
    op(d, s, srcStride);
  }
}

template <RasterOp op>
void Combine(QImage& dst, const QImage& src, const Copy& c) {
  // The width is held locally: a pixel store could otherwise alias the
  // copy's fields, which keeps the compiler from vectorising.
  const int w = c.to.w;
  ForEachRow(dst, src, c, [w](QRgb* __restrict out, const QRgb* __restrict in, qsizetype) {
    if constexpr (op == RasterOp::SrcCopy) {
      std::memmove(out, in, static_cast<std::size_t>(w) * sizeof(QRgb));
    } else {
      for (int x = 0; x < w; ++x) {
        out[x] = ApplyRasterOp(op, in[x], out[x]);
      }
    }
  });
}

class MemorySheet final : public SpriteSheet {
 public:
  explicit MemorySheet(const QImage& picture)
      : SpriteSheet(picture.width(), picture.height()),
        pixels_(picture.convertToFormat(QImage::Format_RGB32)) {}
  QImage Read() const override { return pixels_; }
  const QImage& Pixels() const { return pixels_; }

 private:
  QImage pixels_;
};

class MemorySurface final : public Surface {
 public:
  MemorySurface(int w, int h, const QImage* picture)
      : Surface(std::max(w, 0), std::max(h, 0)), image_(MakeImage(w, h, picture)) {}

  void SetSize(int w, int h) override {
    image_ = MakeImage(w, h, &image_);
    Resized(image_.width(), image_.height());
  }
  QImage Read() const override { return image_; }
  const QImage& Pixels() const { return image_; }

 private:
  void Blit(const Copy& copy, const Surface& src, RasterOp op) override {
    const QImage& from = static_cast<const MemorySurface&>(src).image_;
    switch (op) {
      case RasterOp::SrcCopy:
        Combine<RasterOp::SrcCopy>(image_, from, copy);
        break;
      case RasterOp::SrcErase:
        Combine<RasterOp::SrcErase>(image_, from, copy);
        break;
      case RasterOp::SrcInvert:
        Combine<RasterOp::SrcInvert>(image_, from, copy);
        break;
    }
  }

  void Paste(const Copy& copy, const SpriteSheet& sheet, int maskDy) override {
    // Both raster copies in one pass: C XOR (M AND NOT D).
    const int w = copy.to.w;
    ForEachRow(image_, static_cast<const MemorySheet&>(sheet).Pixels(), copy,
               [w, maskDy](QRgb* __restrict out, const QRgb* __restrict in, qsizetype stride) {
                 const QRgb* __restrict mask = in + maskDy * stride;
                 for (int x = 0; x < w; ++x) {
                   out[x] = ApplyRasterOp(RasterOp::SrcInvert, in[x],
                                          ApplyRasterOp(RasterOp::SrcErase, mask[x], out[x]));
                 }
               });
  }

  QImage image_;
};

// Presenting asks the toolkit to repaint the parts, which it does once the
// frame has returned to the event loop: the paint reads a finished frame, and
// the compositor (or X server) is handed only those parts.
class MemoryVisibleSurface final : public VisibleSurface {
 public:
  MemoryVisibleSurface(QWidget* parent, const QImage& picture)
      : VisibleSurface(parent), image_(picture.width(), picture.height(), &picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(picture.size());
  }

  Surface& Image() override { return image_; }
  void Present(std::span<const Rect> parts) override {
    for (const Rect& part : parts) {
      update(part.x, part.y, part.w, part.h);
    }
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    // Part by part: one draw of their bounding rectangle would cost a pass
    // over most of the tank when the fish are far apart. Every part maps onto
    // the screen with the same scale, so neighbouring parts meet without a
    // seam at any device-pixel ratio.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QImage& pixels = image_.Pixels();
    for (const QRect& part : event->region()) {
      const QRect shown = part & pixels.rect();
      painter.drawImage(shown, pixels, shown);
    }
  }

 private:
  MemorySurface image_;
};

class MemoryPlatform final : public DrawingPlatform {
 public:
  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage* picture) override {
    return std::make_unique<MemorySurface>(w, h, picture);
  }
  std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) override {
    return std::make_unique<MemorySheet>(sheet);
  }
  VisibleSurface* CreateVisibleSurface(QWidget* parent, const QImage& picture) override {
    return new MemoryVisibleSurface(parent, picture);
  }
};

}  // namespace

std::unique_ptr<DrawingPlatform> CreateMemoryPlatform() {
  return std::make_unique<MemoryPlatform>();
}

}  // namespace finbowl
