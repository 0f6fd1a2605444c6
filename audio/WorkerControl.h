// What a codec worker and its caller share: the status byte (written by the
// worker), the start and stop requests (set by the caller, cleared by the
// worker) and the worker thread, with the steps every worker takes the same
// way: claiming it, starting the thread, polling, aborting and stopping.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

namespace plova {

namespace worker {
// The status and request values every worker uses.
constexpr std::uint8_t kIdle = 16;             // no worker
constexpr std::uint8_t kWaitingForStart = 32;  // worker running, start request not yet taken
constexpr std::uint8_t kFinished = 64;
constexpr std::uint8_t kFailed = 80;  // how a poll reports any of kFailedFirst..kFailedLast
constexpr std::uint8_t kAborted = 96;
constexpr std::uint8_t kFailedFirst = 0x50;
constexpr std::uint8_t kFailedLast = 0x5F;
constexpr std::uint8_t kRequest = 16;  // a pending start or stop request
}  // namespace worker

struct WorkerControl {
    std::atomic<std::uint8_t> status{worker::kIdle};
    std::atomic<std::uint8_t> startRequest{0};
    std::atomic<std::uint8_t> stopRequest{0};
    std::thread thread;
    // How an idle worker sleeps until the stop request. A mutex and condition
    // rather than the atomic's own wait: MinGW's GCC 12 has no futex beneath
    // that one, and its stand-in can miss the notification for good.
    std::mutex stopMutex;
    std::condition_variable stopRaised;

    // Asks the worker to stop and waits for it.
    void StopWorker() {
        {
            const std::lock_guard lock(stopMutex);
            stopRequest.store(worker::kRequest, std::memory_order_release);
        }
        stopRaised.notify_all();
        if (thread.joinable()) thread.join();
    }

    // Sleeps until a stop request is pending (worker side).
    void WaitForStop() {
        std::unique_lock lock(stopMutex);
        stopRaised.wait(lock, [this] { return stopRequest.load(std::memory_order_acquire) != 0; });
    }

    // Claiming the worker and marking it as running is one step, so two
    // callers can never both start, and a poll right after the start never
    // sees "idle" for a run that is about to begin. False when it is busy.
    bool Claim() {
        std::uint8_t expected = worker::kIdle;
        if (!status.compare_exchange_strong(expected, worker::kWaitingForStart, std::memory_order_acq_rel))
            return false;
        if (thread.joinable()) thread.join();
        return true;
    }

    // Gives a claimed worker back without running it.
    void Release() { status.store(worker::kIdle, std::memory_order_release); }

    // Starts the thread with a start request pending. False, with the worker
    // given back, when the system makes no thread.
    bool Launch(void (*run)()) {
        stopRequest.store(0, std::memory_order_relaxed);
        startRequest.store(worker::kRequest, std::memory_order_release);
        try {
            thread = std::thread(run);
        } catch (const std::system_error&) {
            startRequest.store(0, std::memory_order_relaxed);
            Release();
            return false;
        }
        return true;
    }

    // The status as a poll reports it (any failure as kFailed); a finished or
    // failed worker is stopped.
    std::uint8_t Poll() {
        std::uint8_t s = status.load(std::memory_order_acquire);
        if (s >= worker::kFailedFirst && s <= worker::kFailedLast) s = worker::kFailed;
        if (s == worker::kFinished || s == worker::kFailed) StopWorker();
        return s;
    }

    // ------------------------------------------------------- worker side

    // Takes a pending start request: true when there was one.
    bool TakeStart() {
        if (status.load(std::memory_order_acquire) != worker::kWaitingForStart ||
            startRequest.load(std::memory_order_acquire) != worker::kRequest)
            return false;
        startRequest.store(0, std::memory_order_release);
        return true;
    }

    // Takes a pending stop request: true when there was one.
    bool TakeStop() {
        if (stopRequest.load(std::memory_order_acquire) != worker::kRequest) return false;
        stopRequest.store(0, std::memory_order_release);
        return true;
    }

    // Between two steps: at once while `busy`, a millisecond while the start
    // is awaited; finished or failed, nothing to do but wait to be stopped.
    void Idle(bool busy) {
        if (busy) return;
        if (status.load(std::memory_order_relaxed) == worker::kWaitingForStart) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        WaitForStop();
    }

    // A run that could not even be set up: reports `failure`, waits to be
    // stopped and is idle again.
    void FailUntilStopped(std::uint8_t failure) {
        status.store(failure, std::memory_order_release);
        WaitForStop();
        stopRequest.store(0, std::memory_order_release);
        status.store(worker::kIdle, std::memory_order_release);
    }

    // Stops a worker that has taken its start; the status when there is none.
    std::uint8_t Abort() {
        const std::uint8_t s = status.load(std::memory_order_acquire);
        if (s == worker::kIdle || s == worker::kWaitingForStart) return s;
        StopWorker();
        return worker::kAborted;
    }
};

}  // namespace plova
