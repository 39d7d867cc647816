#pragma once

#include <QImage>
#include <QList>
#include <QString>

namespace finbowl::art {

// A colour in full precision, each channel 0..255, before it is put on the palette.
struct Rgb {
  double r = 255;
  double g = 255;
  double b = 255;
};

inline constexpr int kWhiteIndex = 215;
inline constexpr int kBlackIndex = 0;

// The 256 entries every picture carries: a 6 x 6 x 6 cube, green the slowest
// axis, then forty entries of black nobody draws with.
QList<QRgb> Palette();

// The cube entry of the colour with channel levels 0..5.
constexpr int CubeIndex(int r, int g, int b) {
  return 36 * g + 6 * r + b;
}

// The nearest entry: for flat colours, outlines and anything that must not shimmer.
int NearestIndex(Rgb c);

// Ordered 4 x 4 dithering between the two nearest levels of each channel, so a
// shade keeps the same pattern wherever the picture is drawn. A colour that is
// already on the cube comes out undithered. A `spread` below 1 narrows the
// thresholds, so colours close to a level stay solid and only the middle of a
// blend is dithered: small sprites look cleaner that way.
int DitheredIndex(Rgb c, int x, int y, double spread = 1.0);

// A picture of the given size on the shared palette, every pixel pure white.
QImage NewIndexedPicture(int width, int height);

// Writes an 8-bit palette PNG that depends on nothing but the pixels, so the same
// picture always gives the same bytes.
bool SavePicture(const QImage& picture, const QString& path);

}  // namespace finbowl::art
