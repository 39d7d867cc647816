// The settings dialog of the real program on a virtual X display with a
// window manager, opened and worked with the mouse.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include "render/pictures.h"
#include "sim/tank_area.h"
#include "support/temp_dir.h"
#include "support/x_session.h"
#include "support/x_session_test.h"

namespace finbowl {
namespace {

using namespace testing;

// Places in the dialog's client area, from its layout.
const QPoint kRedRightArrow(57 + 31 - 4, 105 + 17 / 2);
const QPoint kCountRightArrow(167 + 58 - 4, 17 + 31 / 2);
const QPoint kOkButton(147 + 54 / 2, 104 + 21 / 2);
const QPoint kCancelButton(146 + 54 / 2, 142 + 21 / 2);
const std::string kMessageTitle = "入力ｴﾗｰ";

std::string Hex(xcb_window_t window) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", window);
  return text;
}

class DialogWindowTest : public XSessionTest {
 protected:
  // Starts finbowl in `dir` with `stored` as its SET and waits until the
  // window manager has framed and the program has centred its window.
  std::unique_ptr<Process> Start(const TempDir& dir, const Bytes& stored) {
    std::map<std::string, std::string> environment;
    if (scale != 1) {
      environment["QT_SCALE_FACTOR"] = std::to_string(scale);
    }
    Finbowl started(*session, dir.path().string(), {.set = stored, .env = environment});
    main = started.window;
    return std::move(started.process);
  }

  void ClickAt(const QPoint& p) {
    // One connection keeps the move before the click; --sync would wait for
    // ever when the pointer is already there.
    ASSERT_EQ(session->RunTool({"xdotool", "mousemove", std::to_string(p.x()),
                                std::to_string(p.y()), "click", "1"}),
              0);
  }

  // Opens "設定" and its item "数＆種類" with the mouse; returns the dialog's
  // client rectangle once it is framed.
  std::optional<QRect> OpenDialog() {
    const QRect client = session->ClientGeometry(*main);
    const int menuBar = client.height() - kTankHeight * scale;
    ClickAt(client.topLeft() + QPoint(15 * scale, menuBar / 2));
    std::optional<QRect> popup;
    if (!WaitFor([&] { return (popup = session->FindPopup()).has_value(); })) {
      return std::nullopt;
    }
    // The menu holds one item, so its middle is on the item.
    ClickAt(popup->center());
    std::optional<QRect> rect;
    WaitFor([&] {
      for (const xcb_window_t window : session->FindWindows("Finbowl")) {
        if (window != *main && !session->FrameExtents(window).isNull()) {
          dialog = window;
          rect = session->ClientGeometry(window);
          return true;
        }
      }
      return false;
    });
    return rect;
  }

  // Device pixels to a pixel, as QT_SCALE_FACTOR sets it for the program.
  static int scale;
  std::optional<xcb_window_t> main;
  std::optional<xcb_window_t> dialog;
};

int DialogWindowTest::scale = 1;

// The same on a screen of two device pixels to a pixel.
class DialogWindowTest2x : public DialogWindowTest {
 protected:
  static void SetUpTestSuite() {
    session = new XSession(true, 2560, 1600);
    scale = 2;
  }
  static void TearDownTestSuite() {
    DialogWindowTest::TearDownTestSuite();
    scale = 1;
  }

  // How many of the tank's pixels, seen at one screen pixel in two each way,
  // differ from the bare tank; -1 unless every pixel is a 2 x 2 block.
  int PixelsOffTheBareTank() {
    const QRect client = session->ClientGeometry(*main);
    const QImage shot = session->Grab(QRect(client.x(), client.bottom() + 1 - 900, 1280, 900));
    const QImage bare = LoadPictures().tank.convertToFormat(QImage::Format_RGB32);
    int off = 0;
    for (int y = 0; y < kTankHeight; ++y) {
      for (int x = 0; x < kTankWidth; ++x) {
        const QRgb p = shot.pixel(2 * x, 2 * y) & 0xFFFFFFu;
        if (p != (shot.pixel(2 * x + 1, 2 * y) & 0xFFFFFFu) ||
            p != (shot.pixel(2 * x, 2 * y + 1) & 0xFFFFFFu) ||
            p != (shot.pixel(2 * x + 1, 2 * y + 1) & 0xFFFFFFu)) {
          return -1;
        }
        off += p != (bare.pixel(x, y) & 0xFFFFFFu);
      }
    }
    return off;
  }
};

TEST_F(DialogWindowTest2x, TheTankFillsTheWindowAtTwiceItsSizeAndNothingStaysOfTheDialog) {
  TempDir dir;
  auto finbowl = Start(dir, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(main) << "no main window";
  EXPECT_EQ(session->ClientGeometry(*main).width(), 1280);
  // One goldfish and at most its bubble differ from the bare tank: a cell of
  // 75 x 75 and two of 30 x 30 at most.
  constexpr int kOneFishAndItsBubble = 75 * 75 + 2 * 30 * 30;
  int off = -1;
  EXPECT_TRUE(WaitFor([&] {
    off = PixelsOffTheBareTank();
    return off > 0 && off <= kOneFishAndItsBubble;
  })) << off
      << " pixels off the bare tank";

  const std::optional<QRect> client = OpenDialog();
  ASSERT_TRUE(client) << "the dialog did not open";
  EXPECT_EQ(client->size(), QSize(255, 183) * 2);
  ClickAt(client->topLeft() + kCancelButton * 2);
  ASSERT_TRUE(WaitFor([&] { return session->FindWindows("Finbowl").size() == 1; }))
      << "Cancel did not close the dialog";
  EXPECT_TRUE(WaitFor([&] {
    off = PixelsOffTheBareTank();
    return off > 0 && off <= kOneFishAndItsBubble;
  })) << off
      << " pixels off the bare tank after the dialog";

  finbowl->Signal(SIGTERM);
  EXPECT_EQ(finbowl->WaitForExit(), 0);
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "") << "the program complained";
}

TEST_F(DialogWindowTest, RedCountChosenWithTheArrowIsAppliedByOkAndWrittenOnClose) {
  TempDir dir;
  // Three goldfish, all black; the unused kinds are 1 as well, to see that
  // OK leaves them alone.
  auto finbowl = Start(dir, {2, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0});
  ASSERT_TRUE(main) << "no main window";
  const std::optional<QRect> client = OpenDialog();
  ASSERT_TRUE(client) << "the dialog did not open";
  EXPECT_EQ(client->size(), QSize(255, 183));

  // Three steps up to the limit of three goldfish.
  for (int i = 0; i < 3; ++i) {
    ClickAt(client->topLeft() + kRedRightArrow);
  }
  // Then the arrow is held for one more: the message comes while the button
  // is down and takes its release. An arrow left repeating would step again
  // 500 ms after the press and stack a second message on the first.
  const QPoint arrow = client->topLeft() + kRedRightArrow;
  ASSERT_EQ(session->RunTool({"xdotool", "mousemove", std::to_string(arrow.x()),
                              std::to_string(arrow.y()), "mousedown", "1"}),
            0);
  std::optional<xcb_window_t> box;
  ASSERT_TRUE(WaitFor([&] { return (box = session->FindWindow(kMessageTitle)).has_value(); }))
      << "no message";
  ASSERT_EQ(session->RunTool({"xdotool", "mouseup", "1"}), 0);
  EXPECT_FALSE(WaitFor([&] { return session->FindWindows(kMessageTitle).size() > 1; }, 1500ms))
      << "the held arrow went on stepping behind the message";
  ASSERT_EQ(session->RunTool({"wmctrl", "-i", "-c", Hex(*box)}), 0);
  ASSERT_TRUE(WaitFor([&] { return session->FindWindows(kMessageTitle).empty(); }))
      << "the message stayed";

  ClickAt(client->topLeft() + kOkButton);
  ASSERT_TRUE(WaitFor([&] { return session->FindWindows("Finbowl").size() == 1; }))
      << "OK did not close the dialog";
  EXPECT_TRUE(session->FindWindows(kMessageTitle).empty());

  ASSERT_EQ(session->RunTool({"wmctrl", "-c", "Finbowl"}), 0);
  EXPECT_EQ(finbowl->WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(dir.File("SET")), (Bytes{2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "") << "the program complained";
}

// A choice confirmed with OK is on disk at once, whatever ends the program
// later; and a second copy of the program in the same directory, which
// changed nothing, leaves it there when it closes afterwards.
TEST_F(DialogWindowTest, AChoiceConfirmedWithOkIsWrittenAtOnceAndOutlivesASecondCopy) {
  TempDir dir;
  const Bytes stored = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  WriteBytes(dir.File("SET"), stored);
  // The second copy, on a display of its own, has read SET once its window is up.
  XSession other(/*withWindowManager=*/false);
  Process second({FinbowlExecutable()}, other.Environment(), dir.path().string(),
                 dir.File("second.txt"));
  ASSERT_TRUE(WaitFor([&] { return other.FindWindow("Finbowl").has_value(); }));

  auto first = Start(dir, stored);
  ASSERT_TRUE(main) << "no main window";
  const std::optional<QRect> client = OpenDialog();
  ASSERT_TRUE(client) << "the dialog did not open";
  // Three goldfish, the one stored red and the new ones black.
  ClickAt(client->topLeft() + kCountRightArrow);
  ClickAt(client->topLeft() + kCountRightArrow);
  ClickAt(client->topLeft() + kOkButton);
  const Bytes chosen = {2, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(WaitFor([&] { return ReadBytes(dir.File("SET")) == chosen; }))
      << "OK did not write SET";

  ASSERT_EQ(session->RunTool({"wmctrl", "-c", "Finbowl"}), 0);
  EXPECT_EQ(first->WaitForExit(), 0);
  second.Signal(SIGTERM);
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(dir.File("SET")), chosen);
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "") << "the first copy complained";
  EXPECT_EQ(FinbowlLines(dir.File("second.txt")),
            "finbowl: SET left unchanged: it was written by someone else during this run\n");
}

TEST_F(DialogWindowTest, SigtermWhileTheMessageIsOpenAppliesNothing) {
  TempDir dir;
  const Bytes stored = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  auto finbowl = Start(dir, stored);
  ASSERT_TRUE(main) << "no main window";
  const std::optional<QRect> client = OpenDialog();
  ASSERT_TRUE(client) << "the dialog did not open";

  // One goldfish stored: the second step is one too many.
  ClickAt(client->topLeft() + kRedRightArrow);
  ClickAt(client->topLeft() + kRedRightArrow);
  ASSERT_TRUE(WaitFor([&] { return session->FindWindow(kMessageTitle).has_value(); }))
      << "no message";

  finbowl->Signal(SIGTERM);
  EXPECT_EQ(finbowl->WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(dir.File("SET")), stored);
  EXPECT_TRUE(WaitFor([&] {
    return session->FindWindows("Finbowl").empty() && session->FindWindows(kMessageTitle).empty();
  }));
  EXPECT_EQ(FinbowlLines(dir.File("stderr.txt")), "") << "the program complained";
}

}  // namespace
}  // namespace finbowl
