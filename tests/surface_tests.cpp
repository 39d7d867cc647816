// Surfaces in memory: the raster copies, the sprite paste and their clipping,
// against per-pixel models, on tiny surfaces and at awkward places.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "platform/surface.h"
#include "support/images.h"
#include "support/tank_peer.h"

namespace finbowl {
namespace {

using testing::RandomImage;
using testing::RandomSheet;
using testing::ReadSurface;

// Surfaces of a few pixels, written and checked as grids of small numbers: the
// number n stands for the colour 0xff000000 | n.
QImage Grid(int w, int h, std::initializer_list<QRgb> pixels) {
  QImage image(w, h, QImage::Format_RGB32);
  auto it = pixels.begin();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      image.setPixel(x, y, 0xFF000000u | *it++);
    }
  }
  return image;
}

std::vector<QRgb> Pixels(const Surface& surface) {
  const QImage image = ReadSurface(surface);
  std::vector<QRgb> out;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      out.push_back(image.pixel(x, y) & 0x00FFFFFFu);
    }
  }
  return out;
}

class SurfaceTest : public ::testing::Test {
 protected:
  std::unique_ptr<Surface> Make(const QImage& image) {
    return platform_->CreateSurface(image.width(), image.height(), &image);
  }
  std::unique_ptr<DrawingPlatform> platform_ = CreateMemoryPlatform();
};

TEST_F(SurfaceTest, RasterOpsArePerPixelOnColourValues) {
  const QImage source = Grid(2, 2, {0xFFFFFF, 0x000000, 0x123456, 0xF0F0F0});
  const QImage dest = Grid(2, 2, {0x00FF00, 0xABCDEF, 0xFFFFFF, 0x0F0F0F});
  struct Row {
    RasterOp op;
    std::vector<QRgb> expected;
  };
  for (const Row& row : {
           Row{RasterOp::SrcCopy, {0xFFFFFF, 0x000000, 0x123456, 0xF0F0F0}},
           Row{RasterOp::SrcErase, {0xFF00FF, 0x000000, 0x000000, 0xF0F0F0}},
           Row{RasterOp::SrcInvert, {0xFF00FF, 0xABCDEF, 0xEDCBA9, 0xFFFFFF}},
       }) {
    auto src = Make(source);
    auto dst = Make(dest);
    BitBlt(*dst, 0, 0, 2, 2, *src, 0, 0, row.op);
    EXPECT_EQ(Pixels(*dst), row.expected) << static_cast<unsigned>(row.op);
    // The unused top byte never leaks into a colour: it stays 0xff.
    const QImage result = ReadSurface(*dst);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(qAlpha(result.pixel(i % 2, i / 2)), 255);
    }
  }
}

TEST_F(SurfaceTest, ClipsToTheDestinationAndShiftsTheSource) {
  // Source 3 x 3 holding 1..9, destination 4 x 3 of zeros.
  const QImage source = Grid(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  struct Row {
    const char* what;
    int x, y, w, h, sx, sy;
    std::vector<QRgb> expected;
  };
  const std::vector<Row> rows = {
      {"inside", 1, 0, 3, 3, 0, 0, {0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9}},
      {"left edge", -1, 0, 3, 3, 0, 0, {2, 3, 0, 0, 5, 6, 0, 0, 8, 9, 0, 0}},
      {"top edge", 0, -2, 3, 3, 0, 0, {7, 8, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"right edge", 2, 0, 3, 3, 0, 0, {0, 0, 1, 2, 0, 0, 4, 5, 0, 0, 7, 8}},
      {"bottom edge", 0, 2, 3, 3, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 0}},
      {"corner", -2, -2, 3, 3, 0, 0, {9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"source offset", 0, 0, 2, 2, 1, 1, {5, 6, 0, 0, 8, 9, 0, 0, 0, 0, 0, 0}},
      // Past the source's own edges nothing is read, and the destination stays.
      {"source overhang", 0, 0, 3, 3, 1, -1, {0, 0, 0, 0, 2, 3, 0, 0, 5, 6, 0, 0}},
      {"wholly left", -3, 0, 3, 3, 0, 0, std::vector<QRgb>(12, 0)},
      {"wholly below", 0, 3, 3, 3, 0, 0, std::vector<QRgb>(12, 0)},
      {"wholly right", 4, 0, 3, 3, 0, 0, std::vector<QRgb>(12, 0)},
      {"source wholly outside", 0, 0, 3, 3, 3, 0, std::vector<QRgb>(12, 0)},
      {"zero width", 0, 0, 0, 3, 0, 0, std::vector<QRgb>(12, 0)},
      {"negative size", 2, 2, -2, -2, 2, 2, std::vector<QRgb>(12, 0)},
      {"huge size", 0, 0, INT_MAX, INT_MAX, 0, 0, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}},
      {"far corner", INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, std::vector<QRgb>(12, 0)},
      {"far source", 0, 0, 3, 3, INT_MAX, INT_MIN, std::vector<QRgb>(12, 0)},
  };
  auto src = Make(source);
  for (const Row& row : rows) {
    auto dst = Make(Grid(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    BitBlt(*dst, row.x, row.y, row.w, row.h, *src, row.sx, row.sy, RasterOp::SrcCopy);
    EXPECT_EQ(Pixels(*dst), row.expected) << row.what;
  }
}

TEST_F(SurfaceTest, CopiesNeverTouchMemoryOutsideEitherSurface) {
  // Random copies of every kind between odd-sized surfaces; under the
  // sanitizers any stray access fails, and here the result must match a
  // per-pixel model that clips the same way.
  std::mt19937 generator(7);
  std::uniform_int_distribution<int> coord(-40, 40), size(-5, 45);
  const QImage a = RandomImage(13, 7, generator), b = RandomImage(31, 17, generator);
  const RasterOp ops[] = {RasterOp::SrcCopy, RasterOp::SrcErase, RasterOp::SrcInvert};
  for (int trial = 0; trial < 2000; ++trial) {
    const bool small = generator() % 2 == 0;
    const QImage& from = small ? a : b;
    const QImage& to = small ? b : a;
    auto src = Make(from);
    auto dst = Make(to);
    const int x = coord(generator), y = coord(generator), w = size(generator), h = size(generator),
              sx = coord(generator), sy = coord(generator);
    const RasterOp op = ops[generator() % 3];
    BitBlt(*dst, x, y, w, h, *src, sx, sy, op);

    QImage expected = to;
    for (int row = 0; row < h; ++row) {
      for (int column = 0; column < w; ++column) {
        const QPoint d(x + column, y + row), s(sx + column, sy + row);
        if (expected.rect().contains(d) && from.rect().contains(s)) {
          expected.setPixel(d, ApplyRasterOp(op, from.pixel(s), expected.pixel(d)));
        }
      }
    }
    ASSERT_EQ(ReadSurface(*dst), expected)
        << x << "," << y << " " << w << "x" << h << " from " << sx << "," << sy;
  }
}

TEST_F(SurfaceTest, ASpritePasteIsItsMaskCopyThenItsColourCopyFromTheSheetsUpperHalf) {
  // Random pastes at random places and sizes, of sheets of odd and even
  // heights, edges and the ends of int included: where the sprite lies in
  // the sheet's upper half and the pixel in the destination, C XOR (M AND
  // NOT D) with the mask half the sheet lower; elsewhere the destination
  // stays as it was.
  std::mt19937 generator(5);
  std::uniform_int_distribution<int> coord(-30, 30), size(-3, 35);
  const QImage ground = RandomImage(29, 13, generator);
  for (const int height : {23, 24}) {
    const QImage sheet = RandomImage(17, height, generator);
    auto pattern = platform_->CreateSpriteSheet(sheet);
    for (int trial = 0; trial < 500; ++trial) {
      const bool far = trial % 50 == 0;
      const int x = coord(generator), y = coord(generator), w = far ? INT_MAX : size(generator),
                h = size(generator), sx = coord(generator), sy = far ? INT_MIN : coord(generator);
      auto dst = Make(ground);
      PasteSprite(*dst, x, y, w, h, *pattern, sx, sy);

      QImage expected = ground;
      for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w && c < 64; ++c) {
          const QPoint d(x + c, y + r), s(sx + c, sy + r);
          if (expected.rect().contains(d) && QRect(0, 0, 17, height / 2).contains(s)) {
            const QRgb m = sheet.pixel(s.x(), s.y() + height / 2);
            expected.setPixel(
                d, ApplyRasterOp(RasterOp::SrcInvert, sheet.pixel(s),
                                 ApplyRasterOp(RasterOp::SrcErase, m, expected.pixel(d))));
          }
        }
      }
      ASSERT_EQ(ReadSurface(*dst), expected) << "trial " << trial << " of height " << height;
    }
  }
}

TEST_F(SurfaceTest, AMaskedSpriteShowsTheTankThroughItsWhite) {
  // A sheet of one row: the sprite over its mask. Inside the silhouette even
  // white is drawn; outside it the tank shows.
  std::mt19937 generator(3);
  auto pattern = platform_->CreateSpriteSheet(
      Grid(3, 2, {0xFF6600, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}));
  auto dst = Make(Grid(3, 1, {0x336699, 0xCCFFCC, 0x445566}));
  PasteSprite(*dst, 0, 0, 3, 1, *pattern, 0, 0);
  EXPECT_EQ(Pixels(*dst), (std::vector<QRgb>{0xFF6600, 0xCCFFCC, 0xFFFFFF}));
  // A random sheet pastes its sprite exactly where its mask is black.
  const QImage random = RandomSheet(9, 5, generator);
  auto sheet = platform_->CreateSpriteSheet(random);
  const QImage ground = RandomImage(9, 5, generator);
  auto onto = Make(ground);
  PasteSprite(*onto, 0, 0, 9, 5, *sheet, 0, 0);
  const QImage result = ReadSurface(*onto);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 9; ++x) {
      const bool sprite = (random.pixel(x, y + 5) & 0xFFFFFFu) == 0;
      EXPECT_EQ(result.pixel(x, y), sprite ? random.pixel(x, y) : ground.pixel(x, y));
    }
  }
}

TEST_F(SurfaceTest, ASurfaceHoldsItsPictureCutToItsSizeAndBlackBeyond) {
  const QImage picture = Grid(3, 2, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(Pixels(*platform_->CreateSurface(2, 2, &picture)), (std::vector<QRgb>{1, 2, 4, 5}));
  EXPECT_EQ(Pixels(*platform_->CreateSurface(4, 1, &picture)), (std::vector<QRgb>{1, 2, 3, 0}));
  EXPECT_EQ(Pixels(*platform_->CreateSurface(2, 1)), (std::vector<QRgb>{0, 0}));
}

}  // namespace
}  // namespace finbowl
