// The end of a run when the toolkit's teardown does not finish by itself. A
// library preloaded into the program (support/teardown_shim.cpp) makes Qt's
// last call to the X server wait forever, as a display server that stops
// answering would, or lose a block that a leak checker must still find.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "shell/desktop_integration/teardown_deadline.h"
#include "support/temp_dir.h"
#include "support/x_session.h"
#include "support/x_session_test.h"

namespace finbowl {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

const Bytes kStored = {2, 0, 1, 0};
const Bytes kWritten = {2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

class TeardownTest : public XSessionTest {
 protected:
  // Starts finbowl in `dir` with a SET holding kStored and the teardown
  // `kind`, and waits for its window.
  std::unique_ptr<Process> Start(const std::string& kind) {
    // A sanitizer's runtime asks to be the first library loaded; the shim is.
    const char* asan = std::getenv("ASAN_OPTIONS");
    Finbowl started(
        *session, dir.path().string(),
        {.set = kStored,
         .env = {{"LD_PRELOAD", FINBOWL_TEARDOWN_SHIM},
                 {"FINBOWL_TEST_TEARDOWN", kind},
                 {"FINBOWL_TEST_TEARDOWN_MARK", Mark()},
                 {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}}});
    EXPECT_TRUE(started.window) << "no window appeared";
    return std::move(started.process);
  }

  std::string Mark() const { return dir.File("teardown-reached"); }
  bool TeardownReached() const { return std::filesystem::exists(Mark()); }

  void CloseLikeAUser() { ASSERT_EQ(session->RunTool({"wmctrl", "-c", "Finbowl"}), 0); }

  TempDir dir;
};

TEST_F(TeardownTest, AHangingTeardownStillEndsSoonAfterTheCloseWithTheSettingsSaved) {
  struct Row {
    const char* name;
    std::function<void(Process&)> close;
  };
  const std::vector<Row> rows = {
      {"the close box", [this](Process&) { CloseLikeAUser(); }},
      {"SIGTERM", [](Process& finbowl) { finbowl.Signal(SIGTERM); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto finbowl = Start("hang");
    const auto closed = Clock::now();
    row.close(*finbowl);
    EXPECT_EQ(finbowl->WaitForExit(std::chrono::seconds(kTeardownSeconds) + 10s), 0);
    // Not sooner than the deadline: what ended it was the deadline.
    EXPECT_GE(Clock::now() - closed, std::chrono::seconds(kTeardownSeconds));
    EXPECT_TRUE(TeardownReached()) << "the teardown never reached the display's goodbye";
    EXPECT_EQ(ReadBytes(dir.File("SET")), kWritten);
    std::filesystem::remove(Mark());
  }
}

TEST_F(TeardownTest, ATerminationSignalDuringAHangingTeardownEndsItAtOnce) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    auto finbowl = Start("hang");
    const auto closed = Clock::now();
    CloseLikeAUser();
    ASSERT_TRUE(WaitFor([&] { return TeardownReached(); }));
    finbowl->Signal(signal);
    EXPECT_EQ(finbowl->WaitForExit(), 0);
    // The deadline, started at the close, would have ended it only later.
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(kTeardownSeconds));
    EXPECT_EQ(ReadBytes(dir.File("SET")), kWritten);
    std::filesystem::remove(Mark());
  }
}

#if defined(__SANITIZE_ADDRESS__)
// The deadline leaves a teardown that ends by itself alone, down to the
// sanitizer's leak check after main; only a sanitizer build checks for
// leaks at exit.
TEST_F(TeardownTest, ALeakInTheTeardownIsReportedBySanitizerBuilds) {
  auto finbowl = Start("leak");
  CloseLikeAUser();
  EXPECT_NE(finbowl->WaitForExit(), 0) << "a leak checker fails the run";
  EXPECT_TRUE(TeardownReached());
  EXPECT_NE(SanitizerReport(dir.File("stderr.txt")).find("LeakSanitizer"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("SET")), kWritten);
}
#endif

}  // namespace
}  // namespace finbowl
