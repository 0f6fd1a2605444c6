// The wait of the window's thread for a codec worker: the decoder's and the
// encoder's callers poll alike, and only how often and how far the bar moves
// differs between them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/Ports.h"

namespace plova {

struct WorkerPoll {
    std::function<std::uint8_t()> poll;   // the worker's status, as DecodePoll or EncodePoll report it
    std::function<std::uint8_t()> abort;  // DecodeAbort or EncodeAbort
    std::uint8_t working = 0;             // the status of a worker at work
    std::intptr_t barStep = 1;            // how far the bar moves per poll
    std::chrono::milliseconds pause{1};   // between two polls
};

// Polls the worker until it ends, keeping the progress window `window` and its
// Cancel button live: each round moves the bar (message 1124), dispatches one
// message and pauses; once the cancel flag is set the worker is aborted
// instead. The last status seen: the worker's finished status when it
// completed. An idle status ends the wait too: the worker is gone, and
// waiting on would never end.
std::uint8_t PollWorker(WindowHandle window, const WorkerPoll& codec);

}  // namespace plova
