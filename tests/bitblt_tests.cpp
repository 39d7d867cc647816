#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "platform/memory_surface.h"

namespace finbowl {
namespace {

// Surfaces of a few pixels, written and checked as grids of small numbers: the
// number n stands for the colour 0xff000000 | n * 0x010101 (or a raw pixel).
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
  const QImage image = surface.Read();
  std::vector<QRgb> out;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      out.push_back(image.pixel(x, y) & 0x00FFFFFFu);
    }
  }
  return out;
}

class BitBltTest : public ::testing::Test {
 protected:
  std::unique_ptr<Surface> Make(const QImage& image) {
    return platform_.CreateSurface(image.width(), image.height(), &image);
  }
  MemoryPlatform platform_;
};

TEST_F(BitBltTest, RasterOpsArePerPixelOnColourValues) {
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
    const QImage result = dst->Read();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(qAlpha(result.pixel(i % 2, i / 2)), 255);
    }
  }
}

TEST_F(BitBltTest, MaskThenColourPastesASpriteWithATransparentGround) {
  // Mask: black where the sprite is. Colour: the sprite on pure white.
  const QImage mask = Grid(3, 1, {0x000000, 0xFFFFFF, 0x000000});
  const QImage colour = Grid(3, 1, {0xFF6600, 0xFFFFFF, 0xFFFFFF});
  auto m = Make(mask);
  auto c = Make(colour);
  auto dst = Make(Grid(3, 1, {0x336699, 0xCCFFCC, 0x445566}));
  BitBlt(*dst, 0, 0, 3, 1, *m, 0, 0, RasterOp::SrcErase);
  BitBlt(*dst, 0, 0, 3, 1, *c, 0, 0, RasterOp::SrcInvert);
  // Inside the silhouette even white is drawn opaque; outside, the tank shows.
  EXPECT_EQ(Pixels(*dst), (std::vector<QRgb>{0xFF6600, 0xCCFFCC, 0xFFFFFF}));
}

TEST_F(BitBltTest, ClipsToTheDestinationAndShiftsTheSource) {
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

TEST_F(BitBltTest, NeverTouchesMemoryOutsideEitherSurface) {
  // Random copies of every kind between odd-sized surfaces; under the
  // sanitizers any stray access fails, and here the result must match a
  // per-pixel model that clips the same way.
  std::mt19937 generator(7);
  std::uniform_int_distribution<int> coord(-40, 40), size(-5, 45);
  QImage a(13, 7, QImage::Format_RGB32), b(31, 17, QImage::Format_RGB32);
  for (QImage* image : {&a, &b}) {
    for (int y = 0; y < image->height(); ++y) {
      for (int x = 0; x < image->width(); ++x) {
        image->setPixel(x, y, 0xFF000000u | static_cast<QRgb>(generator() & 0xFFFFFF));
      }
    }
  }
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
    ASSERT_EQ(dst->Read(), expected)
        << x << "," << y << " " << w << "x" << h << " from " << sx << "," << sy;
  }
}

TEST_F(BitBltTest, SpritePastesAreTheMaskCopyAndThenTheColourCopy) {
  // Whether the two copies clip alike or not, onto another surface or onto
  // the sheet itself, and for offsets at the ends of int.
  std::mt19937 generator(5);
  std::uniform_int_distribution<int> coord(-30, 30), size(-3, 35), offset(-20, 20);
  QImage sheet(17, 23, QImage::Format_RGB32), ground(29, 13, QImage::Format_RGB32);
  for (QImage* image : {&sheet, &ground}) {
    for (int y = 0; y < image->height(); ++y) {
      for (int x = 0; x < image->width(); ++x) {
        image->setPixel(x, y, 0xFF000000u | static_cast<QRgb>(generator() & 0xFFFFFF));
      }
    }
  }
  for (int trial = 0; trial < 1000; ++trial) {
    const int x = coord(generator), y = coord(generator), w = size(generator), h = size(generator),
              sx = coord(generator), sy = coord(generator);
    const int maskDx = trial % 50 == 0 ? INT_MAX : offset(generator);
    const int maskDy = trial % 70 == 0 ? INT_MIN : offset(generator);
    const bool ontoItself = trial % 4 == 0;
    auto pasted = Make(sheet), pastedGround = Make(ground);
    auto copied = Make(sheet), copiedGround = Make(ground);
    Surface& onto = ontoItself ? *pasted : *pastedGround;
    Surface& model = ontoItself ? *copied : *copiedGround;
    PasteSprite(onto, x, y, w, h, *pasted, sx, sy, maskDx, maskDy);
    const long long maskX =
        std::clamp<long long>(static_cast<long long>(sx) + maskDx, INT_MIN, INT_MAX);
    const long long maskY =
        std::clamp<long long>(static_cast<long long>(sy) + maskDy, INT_MIN, INT_MAX);
    BitBlt(model, x, y, w, h, *copied, static_cast<int>(maskX), static_cast<int>(maskY),
           RasterOp::SrcErase);
    BitBlt(model, x, y, w, h, *copied, sx, sy, RasterOp::SrcInvert);
    ASSERT_EQ(onto.Read(), model.Read()) << "trial " << trial;
  }
}

TEST_F(BitBltTest, WholeCopiesAfterAnyHistoryMatchAPlainCopy) {
  // Whole-surface copies move only what changed since the last such copy.
  // Random histories of whole copies between surfaces (chains of copies of
  // copies included), small writes of every kind, bursts that outrun the
  // change log and rebuilds must leave every surface exactly as plain
  // per-pixel copies would.
  constexpr int kW = 41, kH = 29;
  std::mt19937 generator(11);
  auto randomImage = [&](int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        image.setPixel(x, y, 0xFF000000u | static_cast<QRgb>(generator() & 0xFFFFFF));
      }
    }
    return image;
  };
  std::vector<QImage> model;
  std::vector<std::unique_ptr<Surface>> surfaces;
  for (int i = 0; i < 4; ++i) {
    model.push_back(randomImage(kW, kH));
    surfaces.push_back(Make(model.back()));
  }
  const QImage sprite = randomImage(9, 7);
  auto spriteSurface = Make(sprite);
  const RasterOp ops[] = {RasterOp::SrcCopy, RasterOp::SrcErase, RasterOp::SrcInvert};
  auto write = [&](std::size_t d, int x, int y, RasterOp op) {
    BitBlt(*surfaces[d], x, y, 9, 7, *spriteSurface, 0, 0, op);
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 9; ++column) {
        const QPoint at(x + column, y + row);
        if (model[d].rect().contains(at)) {
          model[d].setPixel(at, ApplyRasterOp(op, sprite.pixel(column, row), model[d].pixel(at)));
        }
      }
    }
  };
  for (int step = 0; step < 3000; ++step) {
    const std::size_t d = generator() % 4;
    const int kind = static_cast<int>(generator() % 20);
    if (kind < 8) {
      const std::size_t s = generator() % 4;
      BitBlt(*surfaces[d], 0, 0, kW, kH, *surfaces[s], 0, 0, RasterOp::SrcCopy);
      model[d] = model[s].copy();
    } else if (kind < 18) {
      write(d, static_cast<int>(generator() % 50) - 9, static_cast<int>(generator() % 36) - 7,
            ops[generator() % 3]);
    } else if (kind == 18) {
      // More writes than the log remembers: a few scattered ones, then many
      // in one place, which alone would look like a small change.
      for (int burst = 0; burst < 6; ++burst) {
        write(d, static_cast<int>(generator() % 41), static_cast<int>(generator() % 29),
              RasterOp::SrcInvert);
      }
      for (int burst = 0; burst < 300; ++burst) {
        write(d, 3, 3, burst % 2 ? RasterOp::SrcInvert : RasterOp::SrcErase);
      }
    } else {
      // Rebuilt at its size: it shows its picture again.
      surfaces[d]->SetSize(kW, kH);
      model[d] = surfaces[d]->Read();
    }
    for (std::size_t i = 0; i < 4; ++i) {
      ASSERT_EQ(surfaces[i]->Read(), model[i]) << "surface " << i << " after step " << step;
    }
  }
}

TEST_F(BitBltTest, CopiesWithinOneSurfaceReadTheOldPixels) {
  auto surface = Make(Grid(4, 1, {1, 2, 3, 4}));
  BitBlt(*surface, 1, 0, 3, 1, *surface, 0, 0, RasterOp::SrcCopy);
  EXPECT_EQ(Pixels(*surface), (std::vector<QRgb>{1, 1, 2, 3}));
}

TEST_F(BitBltTest, ResizingShowsThePictureAgainCutToTheNewSize) {
  QImage picture = Grid(3, 2, {1, 2, 3, 4, 5, 6});
  auto surface = platform_.CreateSurface(1, 1, &picture);
  EXPECT_EQ(Pixels(*surface), (std::vector<QRgb>{1}));
  surface->SetSize(2, 2);
  EXPECT_EQ(Pixels(*surface), (std::vector<QRgb>{1, 2, 4, 5}));
  // Beyond the picture a surface is black.
  surface->SetSize(4, 1);
  EXPECT_EQ(Pixels(*surface), (std::vector<QRgb>{1, 2, 3, 0}));
}

TEST_F(BitBltTest, SurfacesOfDifferentPlatformsAreNeverCombined) {
  MemoryPlatform other;
  const QImage one = Grid(1, 1, {1});
  auto src = other.CreateSurface(1, 1, &one);
  auto dst = Make(Grid(1, 1, {2}));
  BitBlt(*dst, 0, 0, 1, 1, *src, 0, 0, RasterOp::SrcCopy);
  EXPECT_EQ(Pixels(*dst), (std::vector<QRgb>{2}));
}

}  // namespace
}  // namespace finbowl
