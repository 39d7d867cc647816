#include "palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace finbowl::art {
namespace {

constexpr int kLevels = 6;
constexpr double kStep = 51.0;

// Thresholds of the classic 4 x 4 Bayer matrix.
constexpr std::array<std::array<int, 4>, 4> kBayer = {{
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
}};

int NearestLevel(double v) {
  return std::clamp(static_cast<int>(std::lround(v / kStep)), 0, kLevels - 1);
}

int DitheredLevel(double v, double threshold) {
  const double level = std::clamp(v, 0.0, 255.0) / kStep;
  const double floor = std::floor(level);
  const int low = static_cast<int>(floor);
  return std::min(low + (level - floor > threshold ? 1 : 0), kLevels - 1);
}

}  // namespace

QList<QRgb> Palette() {
  QList<QRgb> palette(256, qRgb(0, 0, 0));
  for (int g = 0; g < kLevels; ++g) {
    for (int r = 0; r < kLevels; ++r) {
      for (int b = 0; b < kLevels; ++b) {
        palette[CubeIndex(r, g, b)] = qRgb(51 * r, 51 * g, 51 * b);
      }
    }
  }
  return palette;
}

int NearestIndex(Rgb c) {
  return CubeIndex(NearestLevel(c.r), NearestLevel(c.g), NearestLevel(c.b));
}

int DitheredIndex(Rgb c, int x, int y, double spread) {
  const double bayer =
      (kBayer[static_cast<std::size_t>(y & 3)][static_cast<std::size_t>(x & 3)] + 0.5) / 16.0;
  const double threshold = 0.5 + (bayer - 0.5) * spread;
  return CubeIndex(DitheredLevel(c.r, threshold), DitheredLevel(c.g, threshold),
                   DitheredLevel(c.b, threshold));
}

QImage NewIndexedPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_Indexed8);
  picture.setColorTable(Palette());
  picture.fill(kWhiteIndex);
  // Fixed resolution: left to itself Qt would take it from the screen, if any.
  picture.setDotsPerMeterX(3780);
  picture.setDotsPerMeterY(3780);
  return picture;
}

bool SavePicture(const QImage& picture, const QString& path) {
  return picture.save(path, "PNG", 0);
}

}  // namespace finbowl::art
