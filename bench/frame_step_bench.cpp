// What a frame costs to compose, beside the floor of moving the same
// full-frame bytes with memcpy, so the ratio means something on a noisy
// machine. Run a release build: build/release/bench/finbowl_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstring>
#include <vector>

#include "render/frame_step.h"
#include "render/pictures.h"
#include "sim/aquarium.h"

namespace finbowl {
namespace {

constexpr std::size_t kFrameBytes = std::size_t{kTankWidth} * kTankHeight * 4;

// Five fish, each with a bubble that is in the water and drawn every frame:
// the frames the aquarium swims, each fish's bubble shown beside it.
void FrameStepFiveFishFiveBubbles(benchmark::State& state) {
  auto platform = CreateDrawingPlatform();
  Tank tank(*platform, LoadPictures(), nullptr);
  Aquarium aquarium(SettingsRecord{4, {0, 1, 0, 1, 0, 0}});
  StockTank(tank, aquarium, [] { return kTankHeight; });
  int frame = 0;
  for (auto _ : state) {
    if (frame++ % 25 == 0) {
      aquarium.SlowTick();
    }
    Frame shown = aquarium.Step(kTankWidth);
    for (int i = 0; i < shown.count; ++i) {
      ShownFish& f = shown.shown[static_cast<std::size_t>(i)];
      f.bubbleShown = true;
      f.bubble = {1, static_cast<std::int16_t>(f.fish.x + 85),
                  static_cast<std::int16_t>(f.fish.y + 25)};
    }
    tank.ShowFrame(shown);
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
