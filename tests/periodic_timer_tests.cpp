// The aquarium's timers: on a fixed schedule whichever way they are
// dispatched, ticking on in nested loops, and never holding up the toolkit's
// own timers and events while they tick inside the event loop's wait.
#include <glib.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/periodic_timer.h"

namespace finbowl {
namespace {

using Dispatch = PeriodicTimer::Dispatch;
using namespace std::chrono_literals;

void RunLoopFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// A timer of each kind that notes when, from its start, each tick came.
struct TimedTicks {
  explicit TimedTicks(Dispatch dispatch)
      : timer(dispatch, [this] { at.push_back(clock.nsecsElapsed()); }) {}
  void Start(int milliseconds) {
    clock.start();
    timer.Start(milliseconds);
  }
  QElapsedTimer clock;
  std::vector<qint64> at;
  PeriodicTimer timer;
};

constexpr std::array<Dispatch, 2> kDispatches = {Dispatch::InWait, Dispatch::ThroughEventLoop};
const char* Named(Dispatch dispatch) {
  return dispatch == Dispatch::InWait ? "in the wait" : "through the event loop";
}

TEST(PeriodicTimer, TicksAreNeverEarlyNorMoreThanOneAnIntervalEitherWay) {
  for (const Dispatch dispatch : kDispatches) {
    SCOPED_TRACE(Named(dispatch));
    TimedTicks ticks(dispatch);
    const std::vector<qint64>& at = ticks.at;
    // Qt waits in GLib here, as on the desktop.
    EXPECT_EQ(ticks.timer.RunsInWait(), dispatch == Dispatch::InWait);
    ticks.Start(20);
    EXPECT_TRUE(ticks.timer.IsActive());
    EXPECT_EQ(ticks.timer.Interval(), 20);
    RunLoopFor(500);
    ticks.timer.Stop();
    EXPECT_EQ(ticks.timer.Ticks(), at.size());
    EXPECT_GE(at.size(), 5u);
    EXPECT_LE(at.size(), 26u);
    for (std::size_t k = 0; k < at.size(); ++k) {
      EXPECT_GE(at[k], static_cast<qint64>(k + 1) * 20'000'000) << "tick " << k << " came early";
    }
  }
}

// While a tick waits a whole second, the toolkit's timers, events posted from
// other threads and nested loops go on as if it were not there.
TEST(PeriodicTimer, TickingInTheWaitHoldsNothingElseUp) {
  PeriodicTimer slow(Dispatch::InWait, [] {});
  slow.Start(1000);
  QElapsedTimer clock;
  clock.start();
  qint64 timerAt = -1, postedAt = -1;
  QTimer::singleShot(20, [&] { timerAt = clock.elapsed(); });
  std::thread poster([&] {
    std::this_thread::sleep_for(30ms);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { postedAt = clock.elapsed(); }, Qt::QueuedConnection);
  });
  RunLoopFor(600);
  poster.join();
  EXPECT_GE(timerAt, 20);
  EXPECT_LT(timerAt, 500);
  EXPECT_GE(postedAt, 30);
  EXPECT_LT(postedAt, 500);
  EXPECT_EQ(slow.Ticks(), 0u);
}

TEST(PeriodicTimer, NestedLoopsKeepTicking) {
  PeriodicTimer timer(Dispatch::InWait, [] {});
  timer.Start(10);
  std::uint64_t inNestedLoop = 0;
  QTimer::singleShot(0, [&] {
    const std::uint64_t before = timer.Ticks();
    RunLoopFor(200);
    inNestedLoop = timer.Ticks() - before;
  });
  RunLoopFor(300);
  EXPECT_GE(inNestedLoop, 5u);
}

// A thread kept busy past several intervals gets one late tick when it is
// free again, not one for every interval it missed.
TEST(PeriodicTimer, MissedTicksAreDroppedNotBunched) {
  for (const Dispatch dispatch : kDispatches) {
    SCOPED_TRACE(Named(dispatch));
    TimedTicks ticks(dispatch);
    qint64 busyUntil = -1;
    QTimer::singleShot(50, [&] {
      QThread::msleep(150);
      busyUntil = ticks.clock.nsecsElapsed();
    });
    ticks.Start(20);
    RunLoopFor(400);
    ASSERT_GT(busyUntil, 0);
    int rightAfter = 0;
    const std::vector<qint64>& at = ticks.at;
    for (const qint64 t : at) {
      rightAfter += t >= busyUntil && t < busyUntil + 1'000'000 ? 1 : 0;
    }
    EXPECT_LE(rightAfter, 1);
    EXPECT_LE(at.size(), 21u);
  }
}

TEST(PeriodicTimer, TimersShareTheWaitAndTheLastOneGivesItBack) {
  GMainContext* context = g_main_context_default();
  const GPollFunc original = g_main_context_get_poll_func(context);
  {
    PeriodicTimer fast(Dispatch::InWait, [] {});
    PeriodicTimer slow(Dispatch::InWait, [] {});
    fast.Start(10);
    slow.Start(25);
    EXPECT_NE(g_main_context_get_poll_func(context), original);
    RunLoopFor(300);
    EXPECT_GE(slow.Ticks(), 4u);
    EXPECT_GT(fast.Ticks(), slow.Ticks());

    fast.Stop();
    const std::uint64_t fastTicks = fast.Ticks(), slowTicks = slow.Ticks();
    RunLoopFor(100);
    EXPECT_EQ(fast.Ticks(), fastTicks);
    EXPECT_GT(slow.Ticks(), slowTicks);
    EXPECT_NE(g_main_context_get_poll_func(context), original);
  }
  EXPECT_EQ(g_main_context_get_poll_func(context), original);
}

}  // namespace
}  // namespace finbowl
