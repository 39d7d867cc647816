#include "platform/blit_rect.h"

#include <algorithm>
#include <cstdint>

namespace finbowl {
namespace {

// One axis: the span [start, start + length) in the destination and the span
// [sourceStart, ...) in the source are cut to [0, destLimit) and [0, sourceLimit).
// Works in 64 bits so that INT_MAX-sized arguments cannot overflow.
bool ClipAxis(std::int64_t destLimit, std::int64_t sourceLimit, std::int64_t& start,
              std::int64_t& sourceStart, std::int64_t& length) {
  if (length <= 0) {
    return false;
  }
  // Cut the leading part that lies before 0 in either surface.
  const std::int64_t lead = std::max({std::int64_t{0}, -start, -sourceStart});
  start += lead;
  sourceStart += lead;
  length -= lead;
  // Cut the trailing part beyond either surface.
  length = std::min({length, destLimit - start, sourceLimit - sourceStart});
  return length > 0;
}

}  // namespace

BlitRect ClipBlit(int dw, int dh, int x, int y, int w, int h, int sw, int sh, int sx, int sy) {
  std::int64_t dx = x, sx64 = sx, width = w;
  std::int64_t dy = y, sy64 = sy, height = h;
  if (!ClipAxis(dw, sw, dx, sx64, width) || !ClipAxis(dh, sh, dy, sy64, height)) {
    return {};
  }
  return {static_cast<int>(dx),   static_cast<int>(dy),    static_cast<int>(sx64),
          static_cast<int>(sy64), static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace finbowl
