#include "platform/rect.h"

#include <algorithm>
#include <cstdint>

namespace finbowl {
namespace {

using Wide = std::int64_t;

// [left, right) x [top, bottom), wide enough for any sum of two ints.
struct Span {
  Wide left, top, right, bottom;
};

Span SpanOf(const Rect& r) {
  return {r.x, r.y, Wide{r.x} + r.w, Wide{r.y} + r.h};
}

Span Meet(const Span& a, const Span& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const Span& s) {
  return s.right <= s.left || s.bottom <= s.top;
}

}  // namespace

Rect Rect::Intersected(const Rect& other) const {
  if (empty() || other.empty()) {
    return {};
  }
  const Span s = Meet(SpanOf(*this), SpanOf(other));
  if (IsEmpty(s)) {
    return {};
  }
  return {static_cast<int>(s.left), static_cast<int>(s.top), static_cast<int>(s.right - s.left),
          static_cast<int>(s.bottom - s.top)};
}

Rect Rect::United(const Rect& other) const {
  if (other.empty()) {
    return *this;
  }
  if (empty()) {
    return other;
  }
  const int left = std::min(x, other.x), top = std::min(y, other.y);
  const int right = std::max(x + w, other.x + other.w);
  const int bottom = std::max(y + h, other.y + other.h);
  return {left, top, right - left, bottom - top};
}

Copy ClipCopy(const Rect& destBounds, const Rect& to, const Rect& sourceBounds, int sx, int sy) {
  if (to.empty() || destBounds.empty() || sourceBounds.empty()) {
    return {};
  }
  // Where the source's bounds fall in the destination's coordinates.
  const Wide dx = Wide{to.x} - sx, dy = Wide{to.y} - sy;
  const Span source = SpanOf(sourceBounds);
  const Span shifted = {source.left + dx, source.top + dy, source.right + dx, source.bottom + dy};
  const Span s = Meet(Meet(SpanOf(to), SpanOf(destBounds)), shifted);
  if (IsEmpty(s)) {
    return {};
  }
  return {{static_cast<int>(s.left), static_cast<int>(s.top), static_cast<int>(s.right - s.left),
           static_cast<int>(s.bottom - s.top)},
          static_cast<int>(s.left - dx),
          static_cast<int>(s.top - dy)};
}

}  // namespace finbowl
