#include "sim/aquarium.h"

#include <algorithm>

#include "sim/live_fish.h"
#include "sim/slow_tick.h"
#include "sim/stock.h"
#include "sim/swim.h"

namespace finbowl {

Aquarium::Aquarium(const SettingsRecord& settings, std::unique_ptr<RandomSource> random,
                   const FishTable& table)
    : settings_(settings), table_(table), random_(std::move(random)) {}

std::span<const Fish> Aquarium::LiveFish() const {
  return std::span(table_.fish).first(static_cast<std::size_t>(LastLiveFish(settings_) + 1));
}

void Aquarium::Stock(const std::function<int()>& clientHeight) {
  StockTank(table_, settings_, *random_, clientHeight);
}

Frame Aquarium::Step(int clientWidth) {
  // Swimming never reads what was drawn, so the frame can be drawn after all
  // the fish have moved, from what each showed when it moved.
  Frame frame;
  const int lastFish = LastLiveFish(settings_);
  for (int i = 0; i <= lastFish; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const bool bubbleRose = SwimFish(table_, i, clientWidth, *random_);
    frame.shown[slot] = {table_.fish[slot], bubbleRose, table_.bubble[slot]};
    frame.count = i + 1;
  }
  return frame;
}

void Aquarium::SlowTick() {
  finbowl::SlowTick(table_, settings_, *random_);
}

void Aquarium::Choose(int goldfish, int red) {
  const int oldLastFish = LastLiveFish(settings_);
  settings_.lastFish = static_cast<std::int16_t>(std::clamp(goldfish, 1, kMaxLastFish + 1) - 1);
  const int last = std::max(oldLastFish, LastLiveFish(settings_));
  for (int i = 0; i <= last; ++i) {
    settings_.fishKind[static_cast<std::size_t>(i)] = i < red ? kRedGoldfish : kBlackGoldfish;
  }
}

}  // namespace finbowl
