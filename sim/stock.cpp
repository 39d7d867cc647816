#include "sim/stock.h"

#include "sim/heading.h"
#include "sim/live_fish.h"

namespace finbowl {

void StockTank(FishTable& table, const SettingsRecord& settings, RandomSource& random,
               const std::function<int()>& clientHeight) {
  const int last = LastLiveFish(settings);
  for (int i = 0; i <= last; ++i) {
    Fish& fish = table.fish[static_cast<std::size_t>(i)];
    random.Reseed();
    const std::int16_t kind = settings.fishKind[static_cast<std::size_t>(i)];
    // An unknown kind is no error: the fish keeps the sheet it had, and with it
    // its facing, for which the heading below is drawn.
    if (kind == kRedGoldfish || kind == kBlackGoldfish) {
      fish.sheet = static_cast<std::int16_t>(2 * kind);
    }
    const bool facesRight = fish.sheet % 2 == 0;
    fish.dir = FloorTo16(2 * random.Uniform() + (facesRight ? kRightUp : kLeftUp));
    fish.frameX = 0;
    fish.rising = 0;
    // Floored, so that the whole cell starts inside the tank. The window may
    // have been resized since the previous fish.
    const int height = clientHeight();
    fish.y = FloorTo16(random.Uniform() * (height - kFishCell));
  }
}

}  // namespace finbowl
