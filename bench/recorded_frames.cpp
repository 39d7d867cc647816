#include "bench/recorded_frames.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace finbowl::floors {
namespace {

// A small file of 32-bit words in this machine's byte order: it is made by
// the build, on the machine that reads it.
constexpr char kMagic[8] = {'F', 'I', 'N', 'B', 'F', 'R', 'M', '1'};
// Far more than any recording holds, so a damaged count fails to read
// instead of asking for gigabytes.
constexpr std::uint32_t kMostItems = 1 << 16;

class Writer {
 public:
  explicit Writer(const std::string& path) : out_(path, std::ios::binary) {
    out_.write(kMagic, sizeof kMagic);
  }
  void Int(int value) { Word(static_cast<std::uint32_t>(value)); }
  void Word(std::uint32_t value) { out_.write(reinterpret_cast<const char*>(&value), 4); }
  void Box(const Rect& r) {
    for (const int value : {r.x, r.y, r.w, r.h}) {
      Int(value);
    }
  }
  void Rects(const std::vector<Rect>& rects) {
    Word(static_cast<std::uint32_t>(rects.size()));
    for (const Rect& r : rects) {
      Box(r);
    }
  }
  void Image(const Pixels& pixels) {
    Int(pixels.width);
    Int(pixels.height);
    out_.write(reinterpret_cast<const char*>(pixels.data.data()),
               static_cast<std::streamsize>(pixels.data.size() * 4));
  }
  bool Done() {
    out_.close();
    return !out_.fail();
  }

 private:
  std::ofstream out_;
};

class Reader {
 public:
  explicit Reader(const std::string& path) : in_(path, std::ios::binary) {
    char magic[sizeof kMagic] = {};
    in_.read(magic, sizeof magic);
    ok_ = in_.good() && std::equal(magic, magic + sizeof magic, kMagic);
  }
  bool ok() const { return ok_; }

  std::uint32_t Word() {
    std::uint32_t value = 0;
    in_.read(reinterpret_cast<char*>(&value), 4);
    ok_ = ok_ && in_.good();
    return value;
  }
  int Int() { return static_cast<int>(Word()); }
  std::uint32_t Count() {
    const std::uint32_t n = Word();
    ok_ = ok_ && n <= kMostItems;
    return ok_ ? n : 0;
  }
  Rect Box() {
    Rect r;
    for (int* value : {&r.x, &r.y, &r.w, &r.h}) {
      *value = Int();
    }
    return r;
  }
  std::vector<Rect> Rects() {
    std::vector<Rect> rects(Count());
    for (Rect& r : rects) {
      r = Box();
    }
    return rects;
  }
  Pixels Image() {
    Pixels pixels;
    pixels.width = Int();
    pixels.height = Int();
    ok_ = ok_ && pixels.width > 0 && pixels.height > 0 && pixels.width <= 4096 &&
          pixels.height <= 4096;
    if (ok_) {
      pixels.data.resize(static_cast<std::size_t>(pixels.width) *
                         static_cast<std::size_t>(pixels.height));
      in_.read(reinterpret_cast<char*>(pixels.data.data()),
               static_cast<std::streamsize>(pixels.data.size() * 4));
      ok_ = in_.good();
    }
    return pixels;
  }

 private:
  std::ifstream in_;
  bool ok_;
};

// Whether `r` is a part of a w x h picture, not empty.
bool Inside(const Rect& r, int w, int h) {
  return !r.empty() && r.x >= 0 && r.y >= 0 && r.w <= w - r.x && r.h <= h - r.y;
}

bool Valid(const Recording& recording) {
  const int w = recording.tank.width, h = recording.tank.height;
  for (const RecordedFrame& frame : recording.frames) {
    for (const auto* rects : {&frame.wiped, &frame.presented}) {
      for (const Rect& r : *rects) {
        if (!Inside(r, w, h)) {
          return false;
        }
      }
    }
    for (const Paste& p : frame.pastes) {
      if (p.sheet < 0 || p.sheet >= static_cast<int>(recording.sheets.size()) ||
          !Inside(p.to, w, h)) {
        return false;
      }
      const Pixels& sheet = recording.sheets[static_cast<std::size_t>(p.sheet)];
      if (!Inside({p.sx, p.sy, p.to.w, p.to.h}, sheet.width, sheet.height)) {
        return false;
      }
    }
  }
  return !recording.frames.empty();
}

}  // namespace

void CopyPart(std::uint32_t* to, const std::uint32_t* from, const Recording& recording,
              const Rect& r) {
  const auto width = static_cast<std::size_t>(recording.tank.width);
  for (int y = r.y; y < r.y + r.h; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(r.x);
    std::memcpy(to + at, from + at, static_cast<std::size_t>(r.w) * 4);
  }
}

void PasteOver(std::uint32_t* work, const Recording& recording, const Paste& p) {
  // The sheets' pixels are opaque or clear: a clear one keeps what is under
  // it, as the mask's white does; an opaque one replaces it.
  const Pixels& sheet = recording.sheets[static_cast<std::size_t>(p.sheet)];
  for (int row = 0; row < p.to.h; ++row) {
    const std::uint32_t* __restrict in =
        sheet.data.data() + static_cast<std::size_t>((p.sy + row) * sheet.width + p.sx);
    std::uint32_t* __restrict out =
        work + static_cast<std::size_t>((p.to.y + row) * recording.tank.width + p.to.x);
    for (int x = 0; x < p.to.w; ++x) {
      const std::uint32_t opaque = 0u - (in[x] >> 31);
      out[x] = in[x] | (out[x] & ~opaque);
    }
  }
}

bool WriteRecording(const Recording& recording, const std::string& path) {
  Writer out(path);
  out.Image(recording.tank);
  out.Word(static_cast<std::uint32_t>(recording.sheets.size()));
  for (const Pixels& sheet : recording.sheets) {
    out.Image(sheet);
  }
  out.Word(static_cast<std::uint32_t>(recording.frames.size()));
  for (const RecordedFrame& frame : recording.frames) {
    out.Rects(frame.wiped);
    out.Word(static_cast<std::uint32_t>(frame.pastes.size()));
    for (const Paste& p : frame.pastes) {
      for (const int value : {p.sheet, p.sx, p.sy}) {
        out.Int(value);
      }
      out.Box(p.to);
    }
    out.Rects(frame.presented);
  }
  return out.Done();
}

std::optional<Recording> ReadRecording(const std::string& path) {
  Reader in(path);
  Recording recording;
  recording.tank = in.Image();
  recording.sheets.resize(in.Count());
  for (Pixels& sheet : recording.sheets) {
    sheet = in.Image();
  }
  recording.frames.resize(in.Count());
  for (RecordedFrame& frame : recording.frames) {
    frame.wiped = in.Rects();
    frame.pastes.resize(in.Count());
    for (Paste& p : frame.pastes) {
      for (int* value : {&p.sheet, &p.sx, &p.sy}) {
        *value = in.Int();
      }
      p.to = in.Box();
    }
    frame.presented = in.Rects();
  }
  if (!in.ok() || !Valid(recording)) {
    std::fprintf(stderr, "%s: not a recording of frames, or a damaged one\n", path.c_str());
    return std::nullopt;
  }
  return recording;
}

}  // namespace finbowl::floors
