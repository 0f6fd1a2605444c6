#include "audio/WorkerPoll.h"

#include <thread>

#include "audio/WorkerControl.h"

namespace plova {

std::uint8_t PollWorker(WindowHandle window, const WorkerPoll& codec) {
    Progress& progress = *CurrentPorts().progress;
    std::intptr_t position = 0;
    for (;;) {
        position += codec.barStep;
        progress.Post(window, msg::kBarPosition, position, 0);
        PumpOne();
        // The worker runs on its own; this pause only sets how often the bar moves.
        std::this_thread::sleep_for(codec.pause);
        if (!CancelRequested()) {
            const std::uint8_t status = codec.poll();
            if (status != worker::kWaitingForStart && status != codec.working) return status;
        } else {
            const std::uint8_t status = codec.abort();
            if (status != worker::kWaitingForStart) return status;
        }
    }
}

}  // namespace plova
