// Records Finbowl's own frames for the floors. The tank composes them as the
// program does, on surfaces that only note what is asked of them, and the
// recording keeps, frame by frame, the parts of work wiped from the bare
// tank, the sprites pasted and where, and the parts presented. The aquarium
// swims as the tests swim it: five goldfish, a fixed seed on a clock that
// never moves, a slow tick every 25 frames. A recording that, played from the
// bare tank, does not give the tank's own composition in memory frame after
// frame is not written.
//   finbowl_record_frames FILE [FRAMES]   (default 300; runs on any Qt platform, offscreen too)
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/recorded_frames.h"
#include "platform/masked_sprites.h"
#include "render/pictures.h"
#include "render/tank.h"
#include "support/swimming.h"
#include "support/tank_peer.h"

namespace finbowl {
namespace {

// A copy or a paste the tank asked for, already clipped; `sheet` is the
// index of the pasted sheet, or -1 for a copy from `src`.
struct Request {
  const Surface* dst = nullptr;
  const Surface* src = nullptr;
  int sheet = -1;
  Copy copy;
};

struct NotedSheet final : SpriteSheet {
  NotedSheet(const QImage& sheet, int i) : SpriteSheet(sheet.width(), sheet.height()), index(i) {}
  const int index;
};

struct NotingSurface final : Surface {
  NotingSurface(std::vector<Request>& requests, int w, int h)
      : Surface(std::max(w, 0), std::max(h, 0)), log(requests) {}
  void Blit(const Copy& copy, const Surface& src, RasterOp) override {
    log.push_back({this, &src, -1, copy});
  }
  void Paste(const Copy& copy, const SpriteSheet& sheet) override {
    log.push_back({this, nullptr, static_cast<const NotedSheet&>(sheet).index, copy});
  }
  std::vector<Request>& log;
};

struct NotingTank final : VisibleSurface {
  NotingTank(QWidget* parent, const Surface& frame, std::function<void()> complete,
             std::vector<Rect>& parts)
      : VisibleSurface(parent, frame, std::move(complete)), presented(parts) {}
  void Present(std::span<const Rect> parts) override {
    presented.assign(parts.begin(), parts.end());
  }
  std::vector<Rect>& presented;
};

struct NotingPlatform final : DrawingPlatform {
  std::unique_ptr<Surface> CreateSurface(int w, int h, const QImage*) override {
    return std::make_unique<NotingSurface>(log, w, h);
  }
  // The sheets as the floors paste them, in the order the tank makes them.
  std::unique_ptr<SpriteSheet> CreateSpriteSheet(const QImage& sheet) override {
    sheets.push_back(MaskedSprites(sheet));
    return std::make_unique<NotedSheet>(sheet, static_cast<int>(sheets.size()) - 1);
  }
  std::unique_ptr<VisibleSurface> CreateVisibleSurface(QWidget* parent, const Surface& frame,
                                                       std::function<void()> complete) override {
    return std::make_unique<NotingTank>(parent, frame, std::move(complete), presented);
  }

  std::vector<Request> log;
  std::vector<Rect> presented;
  std::vector<QImage> sheets;
};

floors::Pixels PixelsOf(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  floors::Pixels pixels{argb.width(), argb.height(), {}};
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    pixels.data.insert(pixels.data.end(), row, row + argb.width());
  }
  return pixels;
}

// The recording played from the bare tank in memory, as the floors play it,
// beside Finbowl's own composition of the same frames.
class Replay {
 public:
  explicit Replay(const floors::Recording& recording)
      : recording_(recording), work_(recording.tank.data), shown_(work_) {}

  // Plays `frame`; false unless work then holds `expected`, what Finbowl's
  // tank composed, and a screen that took only the presented parts shows it.
  bool Play(const floors::RecordedFrame& frame, const QImage& expected) {
    for (const Rect& r : frame.wiped) {
      floors::CopyPart(work_.data(), recording_.tank.data.data(), recording_, r);
    }
    for (const floors::Paste& p : frame.pastes) {
      floors::PasteOver(work_.data(), recording_, p);
    }
    for (const Rect& r : frame.presented) {
      floors::CopyPart(shown_.data(), work_.data(), recording_, r);
    }
    const auto row = static_cast<std::size_t>(recording_.tank.width);
    for (int y = 0; y < recording_.tank.height; ++y) {
      if (std::memcmp(expected.constScanLine(y), work_.data() + static_cast<std::size_t>(y) * row,
                      row * 4) != 0) {
        return false;
      }
    }
    return shown_ == work_;
  }

 private:
  const floors::Recording& recording_;
  std::vector<std::uint32_t> work_, shown_;
};

// What the tank sends for `frame`; it presents straight from work, as the
// floors do.
floors::RecordedFrame Record(Tank& tank, NotingPlatform& platform, const Frame& frame) {
  platform.log.clear();
  platform.presented.clear();
  tank.ShowFrame(frame);
  floors::RecordedFrame recorded;
  for (const Request& r : platform.log) {
    const Surface* work = &testing::TankPeer::Work(tank);
    if (r.dst == work && r.src == &testing::TankPeer::Back(tank)) {
      recorded.wiped.push_back(r.copy.to);
    } else if (r.dst == work && r.sheet >= 0) {
      recorded.pastes.push_back({r.sheet, r.copy.sx, r.copy.sy, r.copy.to});
    }
  }
  recorded.presented = platform.presented;
  return recorded;
}

}  // namespace
}  // namespace finbowl

int main(int argc, char** argv) {
  using namespace finbowl;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [FRAMES]\n", argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  const int frames = std::max(2, argc > 2 ? std::atoi(argv[2]) : 300);
  NotingPlatform platform;
  QWidget window;
  const Pictures pictures = LoadPictures();
  Tank tank(platform, pictures, &window);
  // Three red goldfish and two black, as in the budget scripts' SET.
  testing::Swimming swimming(7, {4, {0, 1, 0, 1, 0, 0}});
  swimming.Stock(tank);

  // The first frame wipes what stocking drew, as it does once after
  // start-up; the recording starts after the second, and ends with the second
  // shown once more after the last, which wipes what the last drew. The
  // recording then goes on from its end into its start as from any frame
  // into the next.
  // Finbowl's own composition of the same frames, in memory, which the
  // recording must give back frame after frame, the last included.
  auto memory = CreateMemoryPlatform();
  QWidget referenceWindow;
  Tank reference(*memory, pictures, &referenceWindow);
  const auto show = [&](const Frame& frame) {
    reference.ShowFrame(frame);
    tank.ShowFrame(frame);
  };
  show(swimming.Next());
  const Frame second = swimming.Next();
  show(second);
  floors::Recording recording;
  recording.tank = PixelsOf(pictures.tank.copy(0, 0, kTankWidth, kTankHeight));
  for (const QImage& sheet : platform.sheets) {
    recording.sheets.push_back(PixelsOf(sheet));
  }
  Replay replay(recording);
  for (int i = 1; i <= frames; ++i) {
    const Frame frame = i < frames ? swimming.Next() : second;
    reference.ShowFrame(frame);
    recording.frames.push_back(Record(tank, platform, frame));
    if (!replay.Play(recording.frames.back(),
                     testing::ReadSurface(testing::TankPeer::Work(reference)))) {
      std::fprintf(stderr, "frame %d, played from the recording, is not Finbowl's\n", i);
      return 1;
    }
  }
  if (!floors::WriteRecording(recording, argv[1])) {
    std::fprintf(stderr, "%s: cannot write it\n", argv[1]);
    return 1;
  }
  return 0;
}
