// The wait for a codec worker: it ends on the worker's own end, on a worker
// that has gone, or with the worker aborted once the user cancels, and moves
// the bar on every round.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "audio/WorkerControl.h"
#include "audio/WorkerPoll.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

constexpr std::uint8_t kWorking = 48;

TEST(WorkerPollTest, EndsOnTheWorkersEndOrAfterAnAbort) {
    struct Case {
        const char* what;
        std::deque<std::uint8_t> polls;   // what the worker reports, in turn
        std::deque<std::uint8_t> aborts;  // what an abort reports, in turn
        long cancelAtStep;                // 0: never
        std::uint8_t last;
        int rounds;
        int abortsTaken;
    };
    const std::vector<Case> cases = {
        {"finishes", {worker::kWaitingForStart, kWorking, kWorking, worker::kFinished}, {}, 0, worker::kFinished, 4, 0},
        {"fails", {kWorking, worker::kFailed}, {}, 0, worker::kFailed, 2, 0},
        {"gone", {worker::kIdle}, {}, 0, worker::kIdle, 1, 0},
        {"cancelled", {kWorking, kWorking}, {worker::kAborted}, 3, worker::kAborted, 3, 1},
        // An abort before the worker has taken its start waits for it.
        {"cancelled early", {}, {worker::kWaitingForStart, worker::kAborted}, 1, worker::kAborted, 2, 2},
    };
    for (const Case& c : cases) {
        testkit::TestPorts ports;
        const WindowHandle window = ports.progress.Open(u"変換中");
        if (c.cancelAtStep > 0) ports.pump.At(c.cancelAtStep, [&] { ports.cancel.Set(); });
        std::deque<std::uint8_t> polls = c.polls;
        std::deque<std::uint8_t> aborts = c.aborts;
        int abortsTaken = 0;
        const auto next = [](std::deque<std::uint8_t>& q) {
            if (q.empty()) return worker::kIdle;
            const std::uint8_t s = q.front();
            q.pop_front();
            return s;
        };
        const WorkerPoll codec{[&] { return next(polls); },
                               [&] {
                                   ++abortsTaken;
                                   return next(aborts);
                               },
                               kWorking, 4, std::chrono::milliseconds(0)};

        EXPECT_EQ(PollWorker(window, codec), c.last) << c.what;
        EXPECT_EQ(abortsTaken, c.abortsTaken) << c.what;
        const auto moves = ports.progress.Of(msg::kBarPosition);
        ASSERT_EQ(moves.size(), static_cast<std::size_t>(c.rounds)) << c.what;
        for (std::size_t i = 0; i < moves.size(); ++i) {
            EXPECT_EQ(moves[i].window, window);
            EXPECT_EQ(moves[i].wparam, static_cast<std::intptr_t>(4 * (i + 1))) << c.what;
            EXPECT_TRUE(moves[i].posted);
        }
        EXPECT_EQ(ports.pump.steps, c.rounds) << c.what;
    }
}

}  // namespace
}  // namespace plova
