// What a frame costs to compose, beside the floor of moving the same
// full-frame bytes with memcpy, so the ratio means something on a noisy
// machine. Run a release build: build/release/bench/finbowl_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstring>
#include <vector>

#include "render/frame_step.h"
#include "render/pictures.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"

namespace finbowl {
namespace {

constexpr std::size_t kFrameBytes = std::size_t{kTankWidth} * kTankHeight * 4;

// Five fish, each with a bubble that is in the water and drawn every frame.
void FrameStepFiveFishFiveBubbles(benchmark::State& state) {
  auto platform = CreateDrawingPlatform();
  Tank tank(*platform, LoadPictures(), nullptr);
  SettingsRecord settings;
  settings.lastFish = 4;
  settings.fishKind = {0, 1, 0, 1, 0, 0};
  FishTable table;
  ClockRandom random;
  StockTank(table, settings, random, [] { return kTankHeight; });
  int frame = 0;
  for (auto _ : state) {
    if (frame++ % 25 == 0) {
      SlowTick(table, settings, random);
    }
    for (std::size_t i = 0; i < 5; ++i) {
      Fish& fish = table.fish[i];
      fish.rising = 0;
      table.bubble[i] = {1, static_cast<std::int16_t>(fish.x + 85),
                         static_cast<std::int16_t>(fish.y + 25)};
    }
    FrameStep(tank, table, settings, random, kTankWidth);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * kFrameBytes));
}
BENCHMARK(FrameStepFiveFishFiveBubbles);

// One fish cell pasted through its mask: two 75 x 75 raster copies.
void DrawOneFish(benchmark::State& state) {
  auto platform = CreateDrawingPlatform();
  Tank tank(*platform, LoadPictures(), nullptr);
  const Fish fish{200, 200, 1, 75, 2, 0};
  for (auto _ : state) {
    tank.DrawFish(fish);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(DrawOneFish);

// The floor: the two full-frame copies every frame makes (bare tank into the
// buffer, buffer onto the visible tank), as plain memcpy.
void MemcpyTwoFullFrames(benchmark::State& state) {
  std::vector<std::uint8_t> back(kFrameBytes, 1), work(kFrameBytes), visible(kFrameBytes);
  for (auto _ : state) {
    std::memcpy(work.data(), back.data(), kFrameBytes);
    benchmark::ClobberMemory();
    std::memcpy(visible.data(), work.data(), kFrameBytes);
    benchmark::DoNotOptimize(visible.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * kFrameBytes));
}
BENCHMARK(MemcpyTwoFullFrames);

}  // namespace
}  // namespace finbowl

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
