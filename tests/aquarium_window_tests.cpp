// The aquarium as the user sees it: the real program on a virtual display,
// looked at through screenshots of its tank.
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "render/pictures.h"
#include "sim/tank_area.h"
#include "support/temp_dir.h"
#include "support/x_requests.h"
#include "support/x_session.h"
#include "support/x_session_test.h"

namespace finbowl {
namespace {

using namespace testing;

// What a screenshot of the tank holds besides the bare tank: blobs of pixels
// that differ from it, each a fish (with whatever overlaps it) or a bubble.
struct Blob {
  int pixels = 0;
  int reddish = 0;  // pixels whose red clearly outweighs green and blue
  bool IsFish() const { return pixels >= 600; }
  bool IsRed() const { return reddish * 3 > pixels; }
};

std::vector<Blob> FindBlobs(const QImage& shot, const QImage& tank) {
  const int w = shot.width(), h = shot.height();
  std::vector<int> seen(static_cast<std::size_t>(w * h), 0);
  auto differs = [&](int x, int y) {
    return ((shot.pixel(x, y) ^ tank.pixel(x, y)) & 0xFFFFFFu) != 0;
  };
  std::vector<Blob> blobs;
  std::vector<QPoint> stack;
  for (int y0 = 0; y0 < h; ++y0) {
    for (int x0 = 0; x0 < w; ++x0) {
      if (seen[static_cast<std::size_t>(y0 * w + x0)] || !differs(x0, y0)) {
        continue;
      }
      Blob blob;
      stack.push_back({x0, y0});
      seen[static_cast<std::size_t>(y0 * w + x0)] = 1;
      while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        ++blob.pixels;
        const QRgb c = shot.pixel(p);
        blob.reddish += qRed(c) >= qGreen(c) + 60 && qRed(c) >= qBlue(c) + 60;
        // Neighbours within two pixels, so that a fish's fins, split from its
        // body by a line of tank-coloured pixels, stay one blob.
        for (int dy = -2; dy <= 2; ++dy) {
          for (int dx = -2; dx <= 2; ++dx) {
            const int x = p.x() + dx, y = p.y() + dy;
            if (x < 0 || y < 0 || x >= w || y >= h) {
              continue;
            }
            int& mark = seen[static_cast<std::size_t>(y * w + x)];
            if (!mark && differs(x, y)) {
              mark = 1;
              stack.push_back({x, y});
            }
          }
        }
      }
      blobs.push_back(blob);
    }
  }
  return blobs;
}

class AquariumWindowTest : public XSessionTest {
 protected:
  void SetUp() override { tank = LoadPictures().tank.copy(0, 0, kTankWidth, kTankHeight); }

  // Starts finbowl with `set`; returns where its tank is on the screen.
  std::optional<QRect> Start(const std::vector<std::uint8_t>& set) {
    finbowl.emplace(*session, dir.path().string(), Launch{.set = set});
    window = finbowl->window;
    return finbowl->client.isEmpty() ? std::nullopt : std::optional(finbowl->Tank());
  }

  TempDir dir;
  std::optional<Finbowl> finbowl;
  std::optional<xcb_window_t> window;
  QImage tank;
};
TEST_F(AquariumWindowTest, FramesChangeOnlyWhereTheFishAre) {
  const auto area = Start({4, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0});
  ASSERT_TRUE(area);
  QImage first;
  ASSERT_TRUE(WaitFor([&] {
    first = session->Grab(*area);
    return !FindBlobs(first, tank).empty();
  })) << "no fish appeared";
  QImage later;
  ASSERT_TRUE(WaitFor([&] {
    later = session->Grab(*area);
    return later != first;
  })) << "the fish do not move";

  // Every pixel that changed shows a fish or a bubble in one of the two
  // pictures; the tank itself never changes.
  int changed = 0, stray = 0;
  for (int y = 0; y < kTankHeight; ++y) {
    for (int x = 0; x < kTankWidth; ++x) {
      const QRgb a = first.pixel(x, y) & 0xFFFFFFu, b = later.pixel(x, y) & 0xFFFFFFu;
      const QRgb t = tank.pixel(x, y) & 0xFFFFFFu;
      if (a != b) {
        ++changed;
        stray += a == t && b == t;
      }
    }
  }
  EXPECT_GT(changed, 0);
  EXPECT_EQ(stray, 0);
  finbowl->process->Signal(SIGTERM);
  EXPECT_EQ(finbowl->process->WaitForExit(), 0);
}

TEST_F(AquariumWindowTest, AsManyRedAndBlackFishAsTheSettingsSay) {
  // Three goldfish: red, black, red.
  const auto area = Start({2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(area);
  // Fish cross one another now and then; sooner or later all three swim apart.
  int mostFish = 0, fishNow = 0, redNow = 0;
  const bool apart = WaitFor(
      [&] {
        fishNow = redNow = 0;
        for (const Blob& blob : FindBlobs(session->Grab(*area), tank)) {
          fishNow += blob.IsFish();
          redNow += blob.IsFish() && blob.IsRed();
        }
        mostFish = std::max(mostFish, fishNow);
        return fishNow == 3;
      },
      60s);
  EXPECT_TRUE(apart) << "at most " << mostFish << " fish seen apart";
  EXPECT_EQ(redNow, 2);
  EXPECT_LE(mostFish, 3);
  finbowl->process->Signal(SIGTERM);
  EXPECT_EQ(finbowl->process->WaitForExit(), 0);
}

TEST_F(AquariumWindowTest, MinimisedItDrawsNothingAndRestoredTheFrameShowsAtOnce) {
  const auto area = Start({4, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0});
  ASSERT_TRUE(area);
  DrawingRequests requests(session->display(), *window);
  ASSERT_TRUE(WaitFor([&] { return requests.Count() > 0; })) << "no frames are drawn";

  ASSERT_EQ(session->RunTool({"xdotool", "windowminimize", std::to_string(*window)}), 0);
  ASSERT_TRUE(WaitFor([&] { return !session->IsViewable(*window); }));
  // The program hears of it a moment later; from then on it draws nothing.
  // Each frame wakes its main thread, and little else does meanwhile, so
  // its wakeups count the frames.
  const pid_t pid = finbowl->process->pid();
  ASSERT_TRUE(WaitFor([&] {
    const int before = requests.Count();
    const long since = Wakeups(pid);
    WaitFor([&] { return Wakeups(pid) >= since + 5; });
    return requests.Count() == before;
  }));
  requests.Reset();
  // Fifteen frames: the fish swim on, but nothing reaches the server.
  const long minimised = Wakeups(pid);
  ASSERT_TRUE(WaitFor([&] { return Wakeups(pid) >= minimised + 15; }));
  EXPECT_EQ(requests.Count(), 0);

  // Restored, the tank is presented whole at once, not piece by piece as the
  // next frames come.
  ASSERT_EQ(session->RunTool({"xdotool", "windowmap", std::to_string(*window)}), 0);
  EXPECT_TRUE(WaitFor([&] {
    return requests.BiggestCopyWidth() >= kTankWidth && requests.BiggestCopyHeight() >= kTankHeight;
  })) << "the biggest copy was "
      << requests.BiggestCopyWidth() << " x " << requests.BiggestCopyHeight();
  EXPECT_TRUE(WaitFor([&] { return !FindBlobs(session->Grab(*area), tank).empty(); }));
  finbowl->process->Signal(SIGTERM);
  EXPECT_EQ(finbowl->process->WaitForExit(), 0);
}

}  // namespace
}  // namespace finbowl
