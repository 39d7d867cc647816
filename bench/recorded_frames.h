#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/rect.h"

namespace finbowl::floors {

// Pixels as 32-bit words, 0xAARRGGBB in this machine's byte order, rows packed.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> data;
};

// One sprite pasted over work: the part of a sheet at (sx, sy), placed at
// `to`, already clipped to both.
struct Paste {
  int sheet = 0;
  int sx = 0, sy = 0;
  Rect to;
};

// What Finbowl's tank does in one frame: the parts of work it wipes with the
// bare tank, the sprites it pastes, in order, and the parts of work the
// screen takes (where sprites lie now or lay in the frame before).
struct RecordedFrame {
  std::vector<Rect> wiped;
  std::vector<Paste> pastes;
  std::vector<Rect> presented;
};

// Finbowl's own frames, for the floors to send as Finbowl sends them. The
// frames loop: the first follows the last as it follows the one before it,
// so a floor that starts from the bare tank and plays them round and round
// shows the aquarium swimming without a seam.
struct Recording {
  Pixels tank;                 // the bare tank, opaque
  std::vector<Pixels> sheets;  // the sprites with their mask as alpha, premultiplied
  std::vector<RecordedFrame> frames;
};

// Copies the part `r` of `from` onto `to`, two tank-sized images.
void CopyPart(std::uint32_t* to, const std::uint32_t* from, const Recording& recording,
              const Rect& r);
// Pastes the sprite `p` over `work`, a tank-sized image.
void PasteOver(std::uint32_t* work, const Recording& recording, const Paste& p);

bool WriteRecording(const Recording& recording, const std::string& path);
// The recording in `path`, or nothing (with a line on stderr) when the file
// cannot be read or holds a part that lies outside the tank or its sheet:
// the floors then copy and paste without checking anything.
std::optional<Recording> ReadRecording(const std::string& path);

}  // namespace finbowl::floors
