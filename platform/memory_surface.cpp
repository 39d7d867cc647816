#include "platform/memory_surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace finbowl {
namespace {

// Buffers that hold no picture start black; nothing ever shows them before
// they are drawn over.
constexpr QRgb kBlank = 0xFF000000u;

QImage MakeImage(int w, int h, const std::optional<QImage>& picture) {
  QImage image(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
  image.fill(kBlank);
  if (picture && !image.isNull()) {
    const int rows = std::min(image.height(), picture->height());
    const int columns = std::min(image.width(), picture->width());
    for (int row = 0; row < rows; ++row) {
      std::memcpy(image.scanLine(row), picture->constScanLine(row),
                  static_cast<std::size_t>(columns) * sizeof(QRgb));
    }
  }
  return image;
}

template <RasterOp op>
void CombineRows(QImage& dst, const QImage& src, const BlitRect& r) {
  // Everything the loops need is held locally: a pixel store could otherwise
  // alias the rectangle's fields, which keeps the compiler from vectorising.
  const int w = r.w;
  const auto bytes = static_cast<std::size_t>(w) * sizeof(QRgb);
  const qsizetype dstStride = dst.bytesPerLine() / qsizetype{sizeof(QRgb)};
  const qsizetype srcStride = src.bytesPerLine() / qsizetype{sizeof(QRgb)};
  QRgb* d = reinterpret_cast<QRgb*>(dst.bits()) + r.y * dstStride + r.x;
  const QRgb* s = reinterpret_cast<const QRgb*>(src.constBits()) + r.sy * srcStride + r.sx;
  for (int row = 0; row < r.h; ++row, d += dstStride, s += srcStride) {
    if constexpr (op == RasterOp::SrcCopy) {
      std::memcpy(d, s, bytes);
    } else {
      QRgb* __restrict out = d;
      const QRgb* __restrict in = s;
      for (int column = 0; column < w; ++column) {
        out[column] = ApplyRasterOp(op, in[column], out[column]);
      }
    }
  }
}

// Paints the retained image. A refresh asks Qt to repaint the changed parts,
// which it does once the frame step has returned to the event loop: the paint
// then reads a finished frame, and the compositor (or X server) is handed only
// those parts.
class MemoryVisibleSurface final : public VisibleSurface {
 public:
  MemoryVisibleSurface(const DrawingPlatform& platform, QWidget* parent, int w, int h,
                       const QImage* picture)
      : VisibleSurface(parent), image_(platform, w, h, picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(w, h);
  }

  Surface& Image() override { return image_; }

 protected:
  void RefreshParts(const AreaSet& changed) override {
    for (const Area& area : changed) {
      update(area.x, area.y, area.w, area.h);
    }
  }

  void RefreshWhole() override { update(); }

  void paintEvent(QPaintEvent* event) override {
    // Part by part: one draw of their bounding rectangle through a clip would
    // cost a pass over most of the tank when the fish are far apart. Every
    // part maps onto the screen with the same scale, so neighbouring parts
    // meet without a seam at any device-pixel ratio.
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

}  // namespace

MemorySurface::MemorySurface(const DrawingPlatform& platform, int w, int h, const QImage* picture)
    : Surface(platform) {
  if (picture) {
    picture_ = picture->convertToFormat(QImage::Format_RGB32);
  }
  image_ = MakeImage(w, h, picture_);
}

void MemorySurface::SetSize(int w, int h) {
  image_ = MakeImage(w, h, picture_);
}

void MemorySurface::Blit(const BlitRect& rect, const Surface& src, RasterOp op) {
  const QImage& source = static_cast<const MemorySurface&>(src).image_;
  // A copy within one surface may overlap itself; read from a snapshot then.
  const QImage snapshot = &src == this ? source.copy() : QImage();
  const QImage& from = &src == this ? snapshot : source;
  switch (op) {
    case RasterOp::SrcCopy:
      CombineRows<RasterOp::SrcCopy>(image_, from, rect);
      break;
    case RasterOp::SrcErase:
      CombineRows<RasterOp::SrcErase>(image_, from, rect);
      break;
    case RasterOp::SrcInvert:
      CombineRows<RasterOp::SrcInvert>(image_, from, rect);
      break;
  }
}

void MemorySurface::BlitSprite(const BlitRect& colour, const Surface& src, int maskDx, int maskDy) {
  if (&src == this) {
    Surface::BlitSprite(colour, src, maskDx, maskDy);
    return;
  }
  // Both copies in one pass, pixel by pixel: C XOR (M AND NOT D).
  const QImage& sheet = static_cast<const MemorySurface&>(src).image_;
  const int w = colour.w;
  const qsizetype stride = image_.bytesPerLine() / qsizetype{sizeof(QRgb)};
  const qsizetype sheetStride = sheet.bytesPerLine() / qsizetype{sizeof(QRgb)};
  QRgb* d = reinterpret_cast<QRgb*>(image_.bits()) + colour.y * stride + colour.x;
  const QRgb* c =
      reinterpret_cast<const QRgb*>(sheet.constBits()) + colour.sy * sheetStride + colour.sx;
  const QRgb* m = c + maskDy * sheetStride + maskDx;
  for (int row = 0; row < colour.h; ++row, d += stride, c += sheetStride, m += sheetStride) {
    QRgb* __restrict out = d;
    const QRgb* __restrict in = c;
    const QRgb* __restrict mask = m;
    for (int column = 0; column < w; ++column) {
      out[column] = ApplyRasterOp(RasterOp::SrcInvert, in[column],
                                  ApplyRasterOp(RasterOp::SrcErase, mask[column], out[column]));
    }
  }
}

std::unique_ptr<Surface> MemoryPlatform::CreateSurface(int w, int h, const QImage* picture) {
  return std::make_unique<MemorySurface>(*this, w, h, picture);
}

VisibleSurface* MemoryPlatform::CreateVisibleSurface(QWidget* parent, int w, int h,
                                                     const QImage* picture) {
  return new MemoryVisibleSurface(*this, parent, w, h, picture);
}

}  // namespace finbowl
