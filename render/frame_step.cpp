#include "render/frame_step.h"

namespace finbowl {

void FrameStep(Tank& tank, Aquarium& aquarium, int clientWidth) {
  tank.ShowFrame(aquarium.Step(clientWidth));
}

void StockTank(Tank& tank, Aquarium& aquarium, const std::function<int()>& clientHeight) {
  aquarium.Stock(clientHeight);
  // What stocking draws lands in work only, and the next frame starts from
  // the bare tank again, so drawing after the records are set gives the same
  // pixels as drawing each fish as it is placed.
  for (const Fish& fish : aquarium.LiveFish()) {
    tank.DrawFish(fish);
  }
}

}  // namespace finbowl
