#pragma once

#include <QImage>

namespace finbowl {

// A sprite sheet's upper half laid over its lower: each sprite pixel opaque
// where its mask is black and clear elsewhere, premultiplied. Laying that
// over a destination takes the sprite where its mask is black and keeps the
// destination where the mask is white, as the two raster copies do, in one
// composite that copies opaque pixels and skips clear ones.
QImage MaskedSprites(const QImage& sheet);

}  // namespace finbowl
