#pragma once

#include <cstdint>

namespace finbowl {

// The three raster operations the tank is drawn with, under their GDI codes.
enum class RasterOp : std::uint32_t {
  SrcCopy = 0x00CC0020,    // S
  SrcErase = 0x00440328,   // S AND (NOT D)
  SrcInvert = 0x00660046,  // S XOR D
};

// Combines two 0xffRRGGBB pixels. The top byte of the result is always 0xff, so
// the unused byte of a 32-bit pixel can never leak into a colour.
constexpr std::uint32_t ApplyRasterOp(RasterOp op, std::uint32_t s, std::uint32_t d) {
  return (op == RasterOp::SrcCopy ? s : op == RasterOp::SrcErase ? s & ~d : s ^ d) | 0xFF000000u;
}

}  // namespace finbowl
