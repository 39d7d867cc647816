#pragma once

namespace finbowl {

// A rectangle of pixels: its top-left corner and its size.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;

  friend bool operator==(const Rect&, const Rect&) = default;
  bool empty() const { return w <= 0 || h <= 0; }
  // The part inside both, for any coordinates.
  Rect Intersected(const Rect& other) const;
};

// A copy of the rectangle `to` from the same-sized one at (sx, sy) of a
// source, cut to what lies inside `destBounds` and whose source lies inside
// `sourceBounds`. Safe for any int arguments; a copy of nothing has an empty
// `to`.
struct Copy {
  Rect to;
  int sx = 0, sy = 0;
};
Copy ClipCopy(const Rect& destBounds, const Rect& to, const Rect& sourceBounds, int sx, int sy);

}  // namespace finbowl
