#include "layer.h"

#include <QImage>

namespace finbowl::art {

Layer DrawLayer(int width, int height, const std::function<void(QPainter&)>& draw) {
  QImage canvas(width * kSupersample, height * kSupersample, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kSupersample, kSupersample);
    draw(painter);
  }

  Layer layer;
  layer.width = width;
  layer.height = height;
  layer.colour.resize(static_cast<std::size_t>(width * height));
  layer.coverage.resize(static_cast<std::size_t>(width * height));
  constexpr int kSamples = kSupersample * kSupersample;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Integer sums of premultiplied samples, so a flat colour averages to itself exactly.
      int r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSupersample; ++sy) {
        const QRgb* row =
            reinterpret_cast<const QRgb*>(canvas.constScanLine(y * kSupersample + sy));
        for (int sx = 0; sx < kSupersample; ++sx) {
          const QRgb p = row[x * kSupersample + sx];
          r += qRed(p);
          g += qGreen(p);
          b += qBlue(p);
          a += qAlpha(p);
        }
      }
      const std::size_t i = layer.Index(x, y);
      layer.coverage[i] = a / (255.0 * kSamples);
      if (a > 0) {
        const double unpremultiply = 255.0 / a;
        layer.colour[i] = Rgb{r * unpremultiply, g * unpremultiply, b * unpremultiply};
      }
    }
  }
  return layer;
}

int SpritePixel(const Layer& layer, int x, int y, double rimFactor, double spread) {
  const Rgb c = layer.colour[layer.Index(x, y)];
  if (layer.OnRim(x, y)) {
    return NearestIndex(Rgb{c.r * rimFactor, c.g * rimFactor, c.b * rimFactor});
  }
  return DitheredIndex(c, x, y, spread);
}

Layer Mirrored(const Layer& layer) {
  Layer mirror = layer;
  for (int y = 0; y < layer.height; ++y) {
    for (int x = 0; x < layer.width; ++x) {
      const std::size_t from = layer.Index(layer.width - 1 - x, y);
      mirror.colour[mirror.Index(x, y)] = layer.colour[from];
      mirror.coverage[mirror.Index(x, y)] = layer.coverage[from];
    }
  }
  return mirror;
}

}  // namespace finbowl::art
