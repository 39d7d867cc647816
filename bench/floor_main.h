#pragma once

#include <functional>

#include "bench/recorded_frames.h"

namespace finbowl::floors {

// What both floors take on their command line: RECORDING [FRAMES]. Runs
// `play` with the recording and how many frames to play (any number when
// negative) and returns its status; 2 for a wrong command line and 1 for a
// recording that cannot be read.
int FloorMain(int argc, char** argv,
              const std::function<int(const Recording& recording, long frames)>& play);

// A timer descriptor that poll finds readable every 100 ms, as Finbowl's
// frame timer fires.
int FrameTimer();

}  // namespace finbowl::floors
