#include "render/tank.h"

#include <algorithm>

namespace finbowl {
namespace {

constexpr QRgb kWhite = 0xFFFFFFu;

// Where in the cell at (x, 0) of `pixels` its mask, `cell` rows lower, is
// black or its colour is not white; empty for a cell that changes nothing.
Rect PaintedPart(const QImage& pixels, int x, int cell) {
  int left = cell, top = cell, right = -1, bottom = -1;
  for (int y = 0; y < cell; ++y) {
    const auto* colour = reinterpret_cast<const QRgb*>(pixels.constScanLine(y)) + x;
    const auto* mask = reinterpret_cast<const QRgb*>(pixels.constScanLine(y + cell)) + x;
    for (int column = 0; column < cell; ++column) {
      if ((mask[column] & kWhite) != kWhite || (colour[column] & kWhite) != kWhite) {
        left = std::min(left, column);
        right = std::max(right, column);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  return right < 0 ? Rect{} : Rect{left, top, right - left + 1, bottom - top + 1};
}

Sheet MakeSheet(DrawingPlatform& platform, const QImage& picture, int cell) {
  Sheet sheet{platform.CreateSpriteSheet(picture), cell};
  const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
  for (int column = 0; column < std::min(3, pixels.width() / cell); ++column) {
    sheet.painted[static_cast<std::size_t>(column)] = PaintedPart(pixels, column * cell, cell);
  }
  return sheet;
}

// Copies the parts `rects` of `src` onto `dst`, both tank-sized.
void CopyParts(Surface& dst, const Surface& src, const RectSet& rects) {
  if (rects.CoversEverything()) {
    BitBlt(dst, 0, 0, kTankWidth, kTankHeight, src, 0, 0, RasterOp::SrcCopy);
    return;
  }
  for (const Rect& r : rects.Rects()) {
    BitBlt(dst, r.x, r.y, r.w, r.h, src, r.x, r.y, RasterOp::SrcCopy);
  }
}

}  // namespace

Rect Sheet::Painted(int sx, int w, int h) const {
  const int column = cell > 0 ? sx / cell : -1;
  if (w == cell && h == cell && sx % cell == 0 && column >= 0 &&
      column < static_cast<int>(painted.size())) {
    return painted[static_cast<std::size_t>(column)];
  }
  return {0, 0, w, h};
}

Tank::Tank(DrawingPlatform& platform, const Pictures& pictures, QWidget* parent)
    : work_(platform.CreateSurface(kTankWidth, kTankHeight, &pictures.tank)),
      back_(platform.CreateSurface(kTankWidth, kTankHeight, &pictures.tank)),
      awa_(MakeSheet(platform, pictures.awa, kBubbleCell)),
      suisou_(platform.CreateVisibleSurface(parent, *work_, [this] { CompleteWork(); })) {
  for (std::size_t i = 0; i < pat_.size(); ++i) {
    pat_[i] = MakeSheet(platform, pictures.pat[i], kFishCell);
  }
}

void Tank::DrawSprite(const Sheet& src, int x, int y, int w, int h, int sx) {
  const Rect part = src.Painted(sx, w, h);
  const Rect at = {x + part.x, y + part.y, part.w, part.h};
  PasteSprite(*work_, at.x, at.y, at.w, at.h, *src.surface, sx + part.x, part.y);
  drawnInWork_.Add(at.Intersected(work_->Bounds()));
  workIsShown_ = false;
}

void Tank::DrawFish(const Fish& fish) {
  // The sheet is always 0..3; a damaged record is left undrawn rather than
  // read past the sheets.
  if (fish.sheet >= 0 && fish.sheet < static_cast<int>(pat_.size())) {
    DrawSprite(pat_[static_cast<std::size_t>(fish.sheet)], fish.x, fish.y, kFishCell, kFishCell,
               fish.frameX);
  }
}

void Tank::DrawBubble(const Bubble& bubble) {
  for (int k = 0; k < 2; ++k) {
    DrawSprite(awa_, bubble.x, bubble.y, kBubbleCell, kBubbleCell, kBubbleCell * k);
  }
}

void Tank::Compose(const Frame& frame) {
  CopyParts(*work_, *back_, drawnInWork_);
  drawnInWork_.Clear();
  for (int i = 0; i < frame.count; ++i) {
    const ShownFish& fish = frame.shown[static_cast<std::size_t>(i)];
    if (fish.bubbleShown) {
      DrawBubble(fish.bubble);
    }
    DrawFish(fish.fish);
  }
}

void Tank::ShowFrame(const Frame& frame) {
  // The one place that decides whether a frame is drawn. A tank that cannot
  // be seen draws nothing; whatever the screen lost meanwhile, the platform
  // takes again from work.
  if (!suisou_->CanBeSeen()) {
    return;
  }
  Compose(frame);
  // The screen differs from work where the last frame's sprites lay and
  // where this one's lie.
  RectSet changed = drawnInShown_;
  changed.Add(drawnInWork_);
  const Rect whole = work_->Bounds();
  suisou_->Present(changed.CoversEverything() ? std::span(&whole, 1) : changed.Rects());
  drawnInShown_ = drawnInWork_;
  shown_ = frame;
  workIsShown_ = true;
}

void Tank::CompleteWork() {
  // Stocking draws into work between frames, and what the screen takes back
  // must still be a frame it showed: the same frame, composed again.
  if (!workIsShown_) {
    Compose(shown_);
    workIsShown_ = true;
  }
}

}  // namespace finbowl
