#include <array>
#include <string_view>

#include "art.h"
#include "palette.h"

namespace finbowl::art {
namespace {

constexpr int kCell = 30;

// At six or seven pixels across a ring placed by hand is rounder than any
// rasterised circle: '#' is the ring, '+' a glint of light inside it, '.' the
// clear inside that lets the tank show through.
constexpr std::array<std::string_view, 7> kLargeRing = {
    "..###..", ".#...#.", "#.+...#", "#.....#", "#.....#", ".#...#.", "..###..",
};
constexpr std::array<std::string_view, 6> kSmallRing = {
    ".####.", "#+...#", "#....#", "#....#", "#....#", ".####.",
};

struct Ring {
  int x, y;  // top-left corner of the ring's box inside the cell
  bool large;
};

template <std::size_t N>
void Stamp(QImage& picture, const std::array<std::string_view, N>& ring, int left, int top, int ink,
           int glint) {
  for (std::size_t row = 0; row < N; ++row) {
    for (std::size_t col = 0; col < ring[row].size(); ++col) {
      const char c = ring[row][col];
      if (c == '.') {
        continue;
      }
      const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
      picture.setPixel(x, y, static_cast<uint>(c == '#' ? ink : glint));
      picture.setPixel(x, y + kCell, kBlackIndex);
    }
  }
}

void DrawRings(QImage& picture, int column, std::initializer_list<Ring> rings, int ink, int glint) {
  for (const Ring& ring : rings) {
    const int left = column * kCell + ring.x;
    if (ring.large) {
      Stamp(picture, kLargeRing, left, ring.y, ink, glint);
    } else {
      Stamp(picture, kSmallRing, left, ring.y, ink, glint);
    }
  }
}

}  // namespace

QImage BubblePicture() {
  QImage picture = NewIndexedPicture(2 * kCell, 2 * kCell);
  // The two sets are drawn over each other, so they interleave into one loose
  // cluster of six bubbles, rising in a zigzag.
  DrawRings(picture, 0, {{13, 1, true}, {6, 10, false}, {12, 20, true}}, CubeIndex(0, 2, 5),
            CubeIndex(3, 4, 5));
  DrawRings(picture, 1, {{20, 7, false}, {13, 12, true}, {19, 21, false}}, CubeIndex(0, 3, 2),
            CubeIndex(3, 5, 4));
  return picture;
}

}  // namespace finbowl::art
