// Checks on the pictures as shipped: the sprite drawing relies on exact pure
// white and pure black, on cell layouts and on masks that match their colour
// cells, so a picture that breaks a rule shows as garbage on screen.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/pictures.h"

namespace finbowl {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
constexpr int kCell = 75;
constexpr int kBubbleCell = 30;

QString AssetPath(const std::string& name) {
  return QStringLiteral(FINBOWL_SOURCE_DIR "/assets/") + QString::fromStdString(name);
}

// The file as stored, in its own pixel format.
QImage Stored(const std::string& name) {
  return QImage(AssetPath(name));
}

// The same picture as 0xffRRGGBB pixels, the way the program draws with it.
QImage Pixels(const std::string& name) {
  return Stored(name).convertToFormat(QImage::Format_RGB32);
}

QList<QRgb> ExpectedPalette() {
  QList<QRgb> palette(256, qRgb(0, 0, 0));
  for (int i = 0; i < 216; ++i) {
    const int g = i / 36, r = (i / 6) % 6, b = i % 6;
    palette[i] = qRgb(51 * r, 51 * g, 51 * b);
  }
  return palette;
}

struct Asset {
  std::string name;
  int width, height;
};

const std::vector<Asset>& AllAssets() {
  static const std::vector<Asset> assets = {
      {"tank.png", 650, 450},    {"pat0.png", 225, 150}, {"pat1.png", 225, 150},
      {"pat2.png", 225, 150},    {"pat3.png", 225, 150}, {"awa.png", 60, 60},
      {"icon16.png", 16, 16},    {"icon24.png", 24, 24}, {"icon32.png", 32, 32},
      {"icon48.png", 48, 48},    {"icon64.png", 64, 64}, {"icon128.png", 128, 128},
      {"icon256.png", 256, 256},
  };
  return assets;
}

TEST(ArtFiles, AreEightBitPalettePngsOfTheirSizes) {
  const QList<QRgb> palette = ExpectedPalette();
  ASSERT_EQ(palette[215], kWhite);
  ASSERT_EQ(palette[0], kBlack);
  for (const Asset& asset : AllAssets()) {
    SCOPED_TRACE(asset.name);
    std::ifstream file(AssetPath(asset.name).toStdString(), std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(bytes.size(), 33u);
    // The IHDR chunk comes first: bit depth 8, colour type 3 (palette).
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
    EXPECT_EQ(bytes[24], 8);
    EXPECT_EQ(bytes[25], 3);

    const QImage image = Stored(asset.name);
    EXPECT_EQ(image.size(), QSize(asset.width, asset.height));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.colorTable(), palette);
  }
}

TEST(ArtFiles, EveryPixelIsAPaletteColour) {
  for (const Asset& asset : AllAssets()) {
    SCOPED_TRACE(asset.name);
    const QImage image = Pixels(asset.name);
    int strays = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        strays += (qRed(p) % 51 != 0 || qGreen(p) % 51 != 0 || qBlue(p) % 51 != 0) ? 1 : 0;
      }
    }
    EXPECT_EQ(strays, 0);
  }
}

// One cell of a sheet: its colour pixels and its mask pixels.
struct Cell {
  QImage colour;
  QImage mask;
};

Cell FishCell(const QImage& sheet, int column) {
  return {sheet.copy(column * kCell, 0, kCell, kCell),
          sheet.copy(column * kCell, kCell, kCell, kCell)};
}

// The one pure white pixel inside a silhouette: the highlight in the eye.
std::vector<QPoint> WhiteInsideMask(const Cell& cell) {
  std::vector<QPoint> found;
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      if (cell.mask.pixel(x, y) == kBlack && cell.colour.pixel(x, y) == kWhite) {
        found.emplace_back(x, y);
      }
    }
  }
  return found;
}

class FishSheets : public ::testing::TestWithParam<int> {};

TEST_P(FishSheets, CellsFollowTheMaskRules) {
  const int sheetIndex = GetParam();
  const QImage sheet = Pixels("pat" + std::to_string(sheetIndex) + ".png");
  const bool facingRight = sheetIndex % 2 == 0;
  for (int column = 0; column < 3; ++column) {
    SCOPED_TRACE("column " + std::to_string(column));
    const Cell cell = FishCell(sheet, column);
    int inside = 0, badMask = 0, colourOutside = 0, outOfMargin = 0;
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        const QRgb m = cell.mask.pixel(x, y);
        badMask += (m != kBlack && m != kWhite) ? 1 : 0;
        if (m == kBlack) {
          ++inside;
          outOfMargin += (y < 13 || y > 70) ? 1 : 0;
        } else {
          colourOutside += cell.colour.pixel(x, y) != kWhite ? 1 : 0;
        }
      }
    }
    EXPECT_EQ(badMask, 0) << "mask pixels other than pure black and white";
    EXPECT_EQ(colourOutside, 0) << "colour outside the silhouette";
    EXPECT_EQ(outOfMargin, 0) << "silhouette outside rows 13..70";
    // A goldfish, not a speck and not a block.
    EXPECT_GT(inside, 1200);
    EXPECT_LT(inside, 2600);
    // The eye has its highlight, towards the side the fish faces.
    const std::vector<QPoint> highlight = WhiteInsideMask(cell);
    ASSERT_EQ(highlight.size(), 1u);
    EXPECT_EQ(highlight[0].x() > kCell / 2, facingRight);
  }
}

TEST_P(FishSheets, FramesMoveTheFinsButNotTheBody) {
  const QImage sheet = Pixels("pat" + std::to_string(GetParam()) + ".png");
  const Cell frames[] = {FishCell(sheet, 0), FishCell(sheet, 1), FishCell(sheet, 2)};
  for (int a = 0; a < 3; ++a) {
    for (int b = a + 1; b < 3; ++b) {
      EXPECT_NE(frames[a].mask, frames[b].mask) << "frames " << a << " and " << b;
      EXPECT_EQ(WhiteInsideMask(frames[a]), WhiteInsideMask(frames[b]))
          << "the eye moves between frames " << a << " and " << b;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllSheets, FishSheets, ::testing::Values(0, 1, 2, 3));

TEST(FishSheetPairs, LeftFacingMasksMirrorTheRightFacing) {
  for (int kind = 0; kind < 2; ++kind) {
    const QImage right = Pixels("pat" + std::to_string(2 * kind) + ".png");
    const QImage left = Pixels("pat" + std::to_string(2 * kind + 1) + ".png");
    for (int column = 0; column < 3; ++column) {
      SCOPED_TRACE("kind " + std::to_string(kind) + " column " + std::to_string(column));
      const QImage rightMask = FishCell(right, column).mask;
      const QImage leftMask = FishCell(left, column).mask;
      EXPECT_EQ(leftMask, rightMask.mirrored(true, false));
    }
  }
}

// Sizes of the 8-connected blobs of non-white pixels in a cell.
std::vector<QRect> Blobs(const QImage& cell) {
  std::vector<QRect> blobs;
  std::vector<bool> seen(static_cast<std::size_t>(cell.width() * cell.height()), false);
  auto index = [&](int x, int y) { return static_cast<std::size_t>(y * cell.width() + x); };
  for (int y0 = 0; y0 < cell.height(); ++y0) {
    for (int x0 = 0; x0 < cell.width(); ++x0) {
      if (seen[index(x0, y0)] || cell.pixel(x0, y0) == kWhite) {
        continue;
      }
      QRect box(x0, y0, 1, 1);
      std::vector<QPoint> stack{{x0, y0}};
      seen[index(x0, y0)] = true;
      while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        box = box.united(QRect(p, QSize(1, 1)));
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const int x = p.x() + dx, y = p.y() + dy;
            if (x >= 0 && y >= 0 && x < cell.width() && y < cell.height() && !seen[index(x, y)] &&
                cell.pixel(x, y) != kWhite) {
              seen[index(x, y)] = true;
              stack.emplace_back(x, y);
            }
          }
        }
      }
      blobs.push_back(box);
    }
  }
  return blobs;
}

TEST(Bubbles, ThreeRingsPerColourCellAndExactMasks) {
  const QImage awa = Pixels("awa.png");
  for (int column = 0; column < 2; ++column) {
    SCOPED_TRACE("column " + std::to_string(column));
    const QImage colour = awa.copy(column * kBubbleCell, 0, kBubbleCell, kBubbleCell);
    const QImage mask = awa.copy(column * kBubbleCell, kBubbleCell, kBubbleCell, kBubbleCell);
    int mismatched = 0, blueInk = 0, greenInk = 0;
    for (int y = 0; y < kBubbleCell; ++y) {
      for (int x = 0; x < kBubbleCell; ++x) {
        const QRgb c = colour.pixel(x, y);
        mismatched += mask.pixel(x, y) != (c == kWhite ? kWhite : kBlack) ? 1 : 0;
        if (c != kWhite) {
          blueInk += qBlue(c) > qGreen(c) && qBlue(c) > qRed(c) ? 1 : 0;
          greenInk += qGreen(c) > qBlue(c) && qGreen(c) > qRed(c) ? 1 : 0;
        }
      }
    }
    EXPECT_EQ(mismatched, 0) << "mask is not exactly the ink of its colour cell";
    EXPECT_GT(column == 0 ? blueInk : greenInk, 40) << "rings of the wrong colour";

    const std::vector<QRect> rings = Blobs(colour);
    ASSERT_EQ(rings.size(), 3u);
    for (const QRect& ring : rings) {
      EXPECT_GE(ring.width(), 6);
      EXPECT_LE(ring.width(), 7);
      EXPECT_GE(ring.height(), 6);
      EXPECT_LE(ring.height(), 7);
      // Outlines only: the middle of each ring is clear.
      EXPECT_EQ(colour.pixel(ring.center()), kWhite);
    }
  }
}

TEST(Tank, AirGapWaterAndHiddenColumns) {
  const QImage tank = Pixels("tank.png");
  ASSERT_EQ(tank.size(), QSize(650, 450));
  const QRgb water = qRgb(204, 255, 204);
  int bandNotWhite = 0;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 650; ++x) {
      bandNotWhite += tank.pixel(x, y) != kWhite ? 1 : 0;
    }
  }
  EXPECT_EQ(bandNotWhite, 0);
  int waterInRow6 = 0, waterInGravel = 0, waterInHidden = 0;
  for (int x = 0; x < 650; ++x) {
    waterInRow6 += tank.pixel(x, 6) == water ? 1 : 0;
    waterInGravel += tank.pixel(x, 447) == water ? 1 : 0;
  }
  for (int y = 6; y < 450; ++y) {
    for (int x = 0; x < 650; ++x) {
      waterInHidden += (x >= 640 && tank.pixel(x, y) == water) ? 1 : 0;
    }
  }
  EXPECT_GT(waterInRow6, 600) << "the water starts at row 6";
  EXPECT_EQ(waterInGravel, 0) << "gravel covers the bottom";
  EXPECT_GT(waterInHidden, 1000) << "columns 640..649 are part of the picture";
}

TEST(Icons, EverySizeIsOpaqueAndOfferedToTheDesktop) {
  const QList<QSize> offered = ProgramIcon().availableSizes();
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    const QImage stored = Stored("icon" + std::to_string(size) + ".png");
    EXPECT_FALSE(stored.hasAlphaChannel());
    const QImage icon = stored.convertToFormat(QImage::Format_ARGB32);
    int transparent = 0, red = 0, green = 0, cyan = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const QRgb p = icon.pixel(x, y);
        transparent += qAlpha(p) != 255 ? 1 : 0;
        red += qRed(p) >= 204 && qGreen(p) <= 153 && qBlue(p) <= 102 ? 1 : 0;
        green += qGreen(p) > qRed(p) + 50 && qGreen(p) > qBlue(p) + 50 ? 1 : 0;
        cyan += qRed(p) <= 102 && qGreen(p) >= 204 && qBlue(p) >= 204 ? 1 : 0;
      }
    }
    EXPECT_EQ(transparent, 0);
    // A red goldfish beside a water plant on a cyan ground; the smallest
    // leave the plant out.
    const int area = size * size;
    EXPECT_GT(red, area / 16);
    EXPECT_GT(green, size >= 32 ? area / 40 : -1);
    EXPECT_GT(cyan, area / 3);
    // The windows carry the sizes a window manager draws; the larger ones
    // come from the icon theme.
    EXPECT_EQ(offered.count(QSize(size, size)), size <= 64 ? 1 : 0);
  }
  EXPECT_EQ(offered.size(), 5);
  EXPECT_EQ(offered.value(0), QSize(32, 32)) << "the 32-pixel drawing comes first";
}

}  // namespace
}  // namespace finbowl
