#pragma once

#include <chrono>
#include <functional>

namespace finbowl::testing {

// Runs the toolkit's event loop until `done` holds or `limit` passes; returns
// whether it held. Widget tests wait for what they need this way.
bool ProcessEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace finbowl::testing
