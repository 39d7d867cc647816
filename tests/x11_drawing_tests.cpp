// The two ways of drawing must give the same pixels: the same frames go
// through surfaces in memory and through pixmaps on the X server, and every
// pixel of the results is compared, down to what the screen shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/memory_surface.h"
#include "platform/x11/x11_platform.h"
#include "render/draw_sprite.h"
#include "render/frame_step.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"
#include "support/allocation_counter.h"
#include "support/paste_cell.h"
#include "support/scripted_random.h"

namespace finbowl {
namespace {

using testing::SameImage;

std::uint64_t FixedClock() {
  return 20261209;
}

// The tank's surfaces on one platform, inside a window shown at `where`, apart
// from the other's, so that each visible tank is a real window on the X server.
struct Bench {
  Bench(std::unique_ptr<DrawingPlatform> p, QPoint where)
      : platform(std::move(p)), surfaces(*platform, &window) {
    window.resize(kTankWidth, kTankHeight);
    SizeTankSurfaces(surfaces);
    window.move(where);
    window.show();
    QDeadlineTimer deadline(10000);
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
           !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
  }
  std::unique_ptr<DrawingPlatform> platform;
  QWidget window;
  TankSurfaces surfaces;
};

// The device pixels per pixel the tests run at (QT_SCALE_FACTOR).
int Ratio() {
  return qEnvironmentVariableIntValue("QT_SCALE_FACTOR") > 1
             ? qEnvironmentVariableIntValue("QT_SCALE_FACTOR")
             : 1;
}

// What a screen shows of `image` at the tests' ratio: every pixel a k x k block.
QImage Scaled(const QImage& image) {
  return image.scaled(image.size() * Ratio(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

class X11DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto x11 = X11Platform::Create();
    ASSERT_TRUE(x11) << "the test X server should take the X11 surfaces";
    server = std::make_unique<Bench>(std::move(x11), QPoint(0, 0));
    memory =
        std::make_unique<Bench>(std::make_unique<MemoryPlatform>(), QPoint(0, kTankHeight + 10));
  }

  // One frame of `table` on both, with the same scripted values.
  void FrameOnBoth(const FishTable& table, int lastFish, const std::vector<double>& script) {
    SettingsRecord settings;
    settings.lastFish = static_cast<std::int16_t>(lastFish);
    for (Bench* bench : {server.get(), memory.get()}) {
      FishTable copy = table;
      testing::ScriptedRandom random(script);
      FrameStep(bench->surfaces, copy, settings, random, [] { return kTankWidth; });
    }
  }

  ::testing::AssertionResult SameFrames() {
    auto work = SameImage(server->surfaces.work->Read(), memory->surfaces.work->Read());
    if (!work) {
      return work << " (work)";
    }
    return SameImage(server->surfaces.suisou->Image().Read(),
                     memory->surfaces.suisou->Image().Read())
           << " (suisou)";
  }

  // What a bench's window shows, once the toolkit has painted what it was
  // asked to and the server has taken every request.
  QImage Screen(const Bench& bench) const {
    QCoreApplication::processEvents();
    const auto& x11 = static_cast<const X11Platform&>(*server->platform);
    xcb_connection_t* c = x11.connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    const QWidget& shown =
        &bench == server.get() ? static_cast<const QWidget&>(*bench.surfaces.suisou) : bench.window;
    return ReadDrawable(x11, static_cast<xcb_drawable_t>(shown.winId()), kTankWidth * Ratio(),
                        kTankHeight * Ratio());
  }
  // Both windows show the frame the tank in memory holds.
  ::testing::AssertionResult ScreensShowTheFrame() const {
    const QImage expected = Scaled(memory->surfaces.suisou->Image().Read());
    auto onServer = SameImage(Screen(*server), expected);
    if (!onServer) {
      return onServer << " (the tank drawn on the server)";
    }
    return SameImage(Screen(*memory), expected) << " (the tank drawn in memory)";
  }

  // Some frames of five swimming fish on both.
  void SwimOnBoth(int frames) {
    for (int frame = 0; frame < frames; ++frame) {
      for (std::size_t b = 0; b < 2; ++b) {
        if (frame == 0 && !stocked_) {
          StockTank(tables_[b], settings_, randoms_[b], [] { return kTankHeight; });
        }
        FrameStep(Benches()[b]->surfaces, tables_[b], settings_, randoms_[b],
                  [] { return kTankWidth; });
      }
      stocked_ = true;
    }
  }
  std::array<Bench*, 2> Benches() { return {server.get(), memory.get()}; }

  std::unique_ptr<Bench> server;
  std::unique_ptr<Bench> memory;

 private:
  SettingsRecord settings_{4, {0, 1, 0, 1, 1, 0}};
  FishTable tables_[2];
  ClockRandom randoms_[2] = {ClockRandom(FixedClock, 9), ClockRandom(FixedClock, 9)};
  bool stocked_ = false;
};

TEST_F(X11DrawingTest, PicturesArriveOnTheServerExactly) {
  EXPECT_STREQ(server->platform->Name(), "x11");
  const TankSurfaces& s = server->surfaces;
  const TankSurfaces& m = memory->surfaces;
  EXPECT_TRUE(SameImage(s.back->Read(), m.back->Read()));
  for (std::size_t i = 0; i < s.pat.size(); ++i) {
    EXPECT_TRUE(SameImage(s.pat[i]->Read(), m.pat[i]->Read())) << "sheet " << i;
  }
  EXPECT_TRUE(SameImage(s.awa->Read(), m.awa->Read()));
}

// A new size shows the picture again, cut to it and black beyond. The server
// takes what shows from the last pixmap while nothing has been drawn on it,
// and sends the picture again otherwise, in whole rows or through a buffer.
TEST_F(X11DrawingTest, ResizingShowsThePictureAsInMemory) {
  std::mt19937 generator(5);
  QImage picture(37, 23, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      picture.setPixel(x, y, 0xFF000000u | (generator() & 0xFFFFFFu));
    }
  }
  std::array<std::unique_ptr<Surface>, 2> surfaces = {
      server->platform->CreateSurface(37, 23, &picture),
      memory->platform->CreateSurface(37, 23, &picture)};
  const std::array<QSize, 9> sizes = {QSize(30, 20), QSize(20, 10), QSize(37, 23),
                                      QSize(50, 30), QSize(12, 40), QSize(0, 5),
                                      QSize(37, 23), QSize(36, 22), QSize(40, 23)};
  for (std::size_t step = 0; step < sizes.size(); ++step) {
    for (auto& surface : surfaces) {
      surface->SetSize(sizes[step].width(), sizes[step].height());
      if (step == 6) {  // drawn on: the next size needs the picture again
        BitBlt(*surface, 3, 4, 9, 7, *surface, 0, 0, RasterOp::SrcInvert);
      }
    }
    ASSERT_TRUE(SameImage(surfaces[0]->Read(), surfaces[1]->Read())) << "size " << step;
  }
}

TEST_F(X11DrawingTest, EdgeScenesGiveTheSamePixels) {
  // Fish columns: x, y, dir, frameX, sheet, rising. Rising fish hold still, and
  // fish that swim get 0 px steps, so every scene is drawn where it is set.
  struct Scene {
    const char* what;
    std::vector<Fish> fish;
    std::vector<Bubble> bubbles;
    std::vector<double> script;
  };
  const std::vector<Scene> scenes = {
      {"every edge",
       {{-40, 200, 1, 0, 0, 1},
        {600, 150, 4, 75, 1, 1},
        {300, -60, 1, 150, 2, 1},
        {200, 420, 4, 0, 3, 1},
        {-60, -60, 1, 75, 0, 1}},
       {},
       {}},
      {"overlapping fish and bubbles",
       {{200, 150, 1, 0, 0, 0}, {215, 160, 1, 75, 2, 0}, {230, 150, 4, 150, 3, 1}},
       {{1, 240, 170}, {1, 250, 180}, {1, 235, 175}},
       {0, 0, 0, 0}},
      {"bubbles clipped and gone",
       {{100, 0, 1, 0, 0, 0}, {560, 300, 1, 0, 2, 0}},
       {{1, 620, -20}, {1, 630, 440}},
       {0, 0, 0, 0}},
      {"wholly outside", {{700, 500, 1, 0, 0, 1}, {-200, -200, 4, 0, 1, 1}}, {}, {}},
  };
  for (const Scene& scene : scenes) {
    SCOPED_TRACE(scene.what);
    FishTable table;
    for (std::size_t i = 0; i < scene.fish.size(); ++i) {
      table.fish[i] = scene.fish[i];
    }
    for (std::size_t i = 0; i < scene.bubbles.size(); ++i) {
      table.bubble[i] = scene.bubbles[i];
    }
    FrameOnBoth(table, static_cast<int>(scene.fish.size()) - 1, scene.script);
    EXPECT_TRUE(SameFrames());
  }
}

TEST_F(X11DrawingTest, ManyFramesOfSwimmingGiveTheSamePixels) {
  SettingsRecord settings;
  settings.lastFish = 4;
  settings.fishKind = {0, 1, 0, 1, 1, 0};
  std::vector<FishTable> tables(2);
  std::vector<ClockRandom> randoms = {ClockRandom(FixedClock, 3), ClockRandom(FixedClock, 3)};
  Bench* benches[] = {server.get(), memory.get()};
  for (std::size_t b = 0; b < 2; ++b) {
    StockTank(tables[b], settings, randoms[b], [] { return kTankHeight; });
  }
  for (int frame = 0; frame < 300; ++frame) {
    for (std::size_t b = 0; b < 2; ++b) {
      if (frame % 25 == 0) {
        SlowTick(tables[b], settings, randoms[b]);
      }
      FrameStep(benches[b]->surfaces, tables[b], settings, randoms[b], [] { return kTankWidth; });
    }
    if (frame % 20 == 0) {
      ASSERT_TRUE(SameFrames()) << "frame " << frame;
    }
  }
}

TEST_F(X11DrawingTest, TheScreenShowsEveryFinishedFrame) {
  // Refreshing sends the window only what changed; what the window shows must
  // still be the whole frame, frame after frame.
  SettingsRecord settings;
  settings.lastFish = 4;
  settings.fishKind = {1, 0, 1, 0, 0, 0};
  FishTable tables[2];
  ClockRandom randoms[2] = {ClockRandom(FixedClock, 5), ClockRandom(FixedClock, 5)};
  Bench* benches[] = {server.get(), memory.get()};
  for (int frame = 0; frame < 120; ++frame) {
    for (std::size_t b = 0; b < 2; ++b) {
      if (frame == 0) {
        StockTank(tables[b], settings, randoms[b], [] { return kTankHeight; });
      }
      if (frame % 25 == 0) {
        SlowTick(tables[b], settings, randoms[b]);
      }
      FrameStep(benches[b]->surfaces, tables[b], settings, randoms[b], [] { return kTankWidth; });
    }
    if (frame % 10 != 9) {
      continue;
    }
    ASSERT_TRUE(ScreensShowTheFrame()) << "frame " << frame;
  }
}

TEST_F(X11DrawingTest, TheTankKeepsShowingItsFrameWhileTheBufferIsDrawnOutsideAFrame) {
  // Restocking draws into work between frames; a repaint in that time must
  // still show the frame.
  SwimOnBoth(12);
  const QImage frame = memory->surfaces.suisou->Image().Read();
  ASSERT_TRUE(ScreensShowTheFrame());
  const Fish newcomer{300, 200, 1, 75, 3, 0};
  for (Bench* bench : Benches()) {
    DrawFish(bench->surfaces, newcomer);
  }
  ASSERT_TRUE(SameImage(server->surfaces.work->Read(), memory->surfaces.work->Read()));
  EXPECT_FALSE(SameImage(server->surfaces.work->Read(), frame)) << "the newcomer should show";
  EXPECT_TRUE(SameImage(server->surfaces.suisou->Image().Read(), frame));

  // The server loses the window's pixels; the repaint brings back the frame.
  const auto& x11 = static_cast<const X11Platform&>(*server->platform);
  const xcb_rectangle_t all = {0, 0, 0x7FFF, 0x7FFF};
  xcb_poly_fill_rectangle(x11.connection(),
                          static_cast<xcb_drawable_t>(server->surfaces.suisou->winId()),
                          x11.Gc(RasterOp::SrcCopy), 1, &all);
  server->surfaces.suisou->repaint();
  EXPECT_TRUE(ScreensShowTheFrame());

  // The next frames wipe the newcomer and show the fish as they swim on.
  SwimOnBoth(3);
  EXPECT_TRUE(SameFrames());
  EXPECT_TRUE(ScreensShowTheFrame());
}

TEST_F(X11DrawingTest, ACoveredTankIsNotDrawnAndCatchesUpWhenUncovered) {
  SwimOnBoth(3);
  ASSERT_TRUE(ScreensShowTheFrame());
  // Another client's window over the whole tank.
  const auto& x11 = static_cast<const X11Platform&>(*server->platform);
  xcb_connection_t* other = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
  const xcb_window_t cover = xcb_generate_id(other);
  const std::uint32_t values[] = {1};
  xcb_create_window(other, XCB_COPY_FROM_PARENT, cover, x11.root(), 0, 0,
                    static_cast<std::uint16_t>(kTankWidth * Ratio() + 10),
                    static_cast<std::uint16_t>(kTankHeight * Ratio() + 10), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                    values);
  xcb_map_window(other, cover);
  xcb_flush(other);
  const VisibleSurface& tank = *server->surfaces.suisou;
  QDeadlineTimer deadline(10000);
  while (tank.CanBeSeen() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  ASSERT_FALSE(tank.CanBeSeen()) << "the server never said the tank was covered";

  // The fish swim on behind the cover, but nothing is drawn for them.
  const QImage covered = server->surfaces.work->Read();
  SwimOnBoth(5);
  EXPECT_TRUE(SameImage(server->surfaces.work->Read(), covered));

  xcb_destroy_window(other, cover);
  xcb_flush(other);
  deadline.setRemainingTime(10000);
  while (!tank.CanBeSeen() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  xcb_disconnect(other);
  ASSERT_TRUE(tank.CanBeSeen());
  EXPECT_TRUE(SameFrames());
  EXPECT_TRUE(ScreensShowTheFrame());
}

TEST_F(X11DrawingTest, SpritePastesGiveTheSamePixelsWhateverTheSheet) {
  // The server pastes a sprite in one copy when every mask pixel of its sheet
  // is black or white over white; with any other mask pixel, or once the
  // sheet has been drawn on, or with masks elsewhere, it must fall back to the
  // two raster copies. A pure sheet and a mixed one, pasted at random places,
  // sizes and corners, edges included.
  constexpr int kW = 48, kH = 40, kMaskDy = 20;
  for (const int mixedFrom : {kW, 32}) {
    SCOPED_TRACE(mixedFrom == kW ? "pure sheet" : "mixed sheet");
    std::mt19937 generator(23);
    const auto random = [&generator](int low, int high) {
      return low + static_cast<int>(generator() % static_cast<unsigned>(high - low + 1));
    };
    QImage sheet(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kMaskDy; ++y) {
      for (int x = 0; x < kW; ++x) {
        QRgb colour = 0xFF000000u | (generator() & 0xFFFFFFu);
        QRgb mask = generator() % 2 ? 0xFF000000u : 0xFFFFFFFFu;
        if (x < mixedFrom && mask == 0xFFFFFFFFu) {
          colour = 0xFFFFFFFFu;  // pure: clear where the mask is white
        } else if (x >= mixedFrom && generator() % 2) {
          mask = 0xFF000000u | (generator() & 0xFFFFFFu);
        }
        sheet.setPixel(x, y, colour);
        sheet.setPixel(x, y + kMaskDy, mask);
      }
    }
    QImage ground(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < ground.height(); ++y) {
      for (int x = 0; x < ground.width(); ++x) {
        ground.setPixel(x, y, 0xFF000000u | (generator() & 0xFFFFFFu));
      }
    }
    struct Pair {
      std::unique_ptr<Surface> sheet, work;
    };
    std::array<Pair, 2> pairs;
    for (std::size_t b = 0; b < 2; ++b) {
      DrawingPlatform& platform = *Benches()[b]->platform;
      pairs[b] = {platform.CreateSurface(kW, kH, &sheet),
                  platform.CreateSurface(ground.width(), ground.height(), &ground)};
    }
    // Every single column and every single row first, for the edges of the
    // sheet's halves; then random ones.
    for (int sx = -1; sx <= kW; ++sx) {
      for (Pair& pair : pairs) {
        PasteSprite(*pair.work, sx + 8, 4, 1, kMaskDy, *pair.sheet, sx, 0, 0, kMaskDy);
      }
      ASSERT_TRUE(SameImage(pairs[0].work->Read(), pairs[1].work->Read())) << "column " << sx;
    }
    for (int sy = -1; sy <= kMaskDy; ++sy) {
      for (Pair& pair : pairs) {
        PasteSprite(*pair.work, 2, sy + 10, 33, 1, *pair.sheet, 0, sy, 0, kMaskDy);
      }
      ASSERT_TRUE(SameImage(pairs[0].work->Read(), pairs[1].work->Read())) << "row " << sy;
    }
    for (int step = 0; step < 400; ++step) {
      const int x = random(-20, 70), y = random(-20, 50), w = random(1, 30), h = random(1, 24);
      const int sx = random(-5, 47), sy = random(-5, 22);
      const int maskDx = step % 7 == 0 ? random(-3, 3) : 0;
      const int maskDy = step % 5 == 0 ? random(17, 22) : kMaskDy;
      for (Pair& pair : pairs) {
        if (step == 150) {
          BitBlt(*pair.sheet, 10, 5, 12, 8, *pair.work, 30, 20, RasterOp::SrcInvert);
        } else if (step == 300) {
          pair.sheet->SetSize(kW, kH);  // the picture again, as it was given
        }
        PasteSprite(*pair.work, x, y, w, h, *pair.sheet, sx, sy, maskDx, maskDy);
      }
      ASSERT_TRUE(SameImage(pairs[0].work->Read(), pairs[1].work->Read()))
          << "step " << step << ": " << w << "x" << h << " at " << x << "," << y << " from " << sx
          << "," << sy << ", mask " << maskDx << "," << maskDy;
    }
  }
}

TEST_F(X11DrawingTest, FramesOnTheServerAllocateNothing) {
  SettingsRecord settings;
  settings.lastFish = 4;
  FishTable table;
  ClockRandom random;
  StockTank(table, settings, random, [] { return kTankHeight; });
  const std::function<int()> width = [] { return kTankWidth; };
  testing::AllocationCount count;
  for (int frame = 0; frame < 1000; ++frame) {
    if (frame % 25 == 0) {
      SlowTick(table, settings, random);
    }
    FrameStep(server->surfaces, table, settings, random, width);
  }
  EXPECT_EQ(count.Stop(), 0);
}

}  // namespace
}  // namespace finbowl
