#include "sim/MainUnitServer.h"

#include "platform/Socket.h"
#include "sim/FtpSession.h"

#include <atomic>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>

namespace plova::sim {

namespace {
constexpr int kListenBacklog = 16;
// Sessions at once; the next one is turned away with 421, as a main unit
// with its few connection slots does.
constexpr int kMaxSessions = 32;
constexpr char kTooManySessions[] = "421 Too many sessions; try again later.\r\n";
constexpr int kTurnAwayMillis = 1000;
// Out of descriptors or the like: the pause before the next accept.
constexpr int kAcceptBackOffMillis = 100;
}  // namespace

struct MainUnitServer::Impl {
    Options options;
    mutable std::mutex faultsMutex;
    Faults faults;
    std::mutex diskMutex;

    net::Socket listener;
    std::unique_ptr<net::StopSignal> stop;
    std::uint16_t boundPort = 0;
    std::thread acceptThread;

    struct SessionThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex sessionsMutex;
    std::list<SessionThread> sessions;
    std::atomic<int> accepted{0};
    std::atomic<int> open{0};

    void acceptLoop();
    void reapFinished(bool all);
};

void MainUnitServer::Impl::reapFinished(bool all) {
    std::list<SessionThread> finished;
    {
        std::lock_guard lock(sessionsMutex);
        for (auto it = sessions.begin(); it != sessions.end();) {
            if (all || it->done->load()) {
                finished.splice(finished.end(), sessions, it++);
            } else {
                ++it;
            }
        }
    }
    for (auto& s : finished) s.thread.join();
}

void MainUnitServer::Impl::acceptLoop() {
    const net::NativeSocket stopSocket = stop->native();
    for (;;) {
        if (net::waitFor(listener.native(), net::kReadable, -1, stopSocket) != net::Wait::Ready) return;
        net::Socket control = net::acceptNow(listener, net::Mode::NonBlocking);
        const auto from = control.isOpen() ? net::peerAddress(control) : std::nullopt;
        if (!from) {
            // Out of descriptors, a client that gave up before it was
            // accepted or the like: back off rather than spin.
            if (net::waitFor(stopSocket, net::kReadable, kAcceptBackOffMillis) == net::Wait::Ready) return;
            continue;
        }
        // Replies are small and come in pairs (150, then 226): without this
        // the second one waits for the client's delayed acknowledgement.
        net::sendAtOnce(control);
        reapFinished(false);
        if (open.load() >= kMaxSessions) {
            net::sendAll(control, kTooManySessions, kTurnAwayMillis, stopSocket);
            continue;
        }
        const int id = ++accepted;
        ++open;
        SessionContext context;
        context.options = &options;
        context.faults = [this] {
            std::lock_guard lock(faultsMutex);
            return faults;
        };
        context.stop = stopSocket;
        context.diskMutex = &diskMutex;
        auto done = std::make_shared<std::atomic<bool>>(false);
        auto session = std::make_shared<FtpSession>(std::move(control), net::hostAddress(*from), id, context);
        std::lock_guard lock(sessionsMutex);
        try {
            sessions.push_back({std::thread([this, session, done] {
                                    session->run();
                                    --open;
                                    done->store(true);
                                }),
                                done});
        } catch (const std::system_error&) {
            --open;  // no thread to be had: the session's socket closes with it
        }
    }
}

MainUnitServer::MainUnitServer(Options options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->faults = impl_->options.faults;
}

MainUnitServer::~MainUnitServer() {
    stop();
}

bool MainUnitServer::start() {
    if (impl_->acceptThread.joinable()) return true;
    const auto address = net::resolveIPv4(impl_->options.bindAddress);
    if (!address) return false;
    // Non-blocking, so that taking a connection never waits: the accept
    // thread waits in one place only, where the stop signal reaches it.
    net::Socket listener = net::openStream(net::Mode::NonBlocking);
    if (!listener.isOpen()) return false;
    net::allowQuickRebind(listener);
    const sockaddr_in at = net::ipv4Address(net::hostAddress(*address), impl_->options.port);
    if (!net::bindAndListen(listener, at, kListenBacklog)) return false;
    const auto bound = net::localAddress(listener);
    if (!bound) return false;
    auto stop = std::make_unique<net::StopSignal>();
    if (!stop->valid()) return false;
    impl_->stop = std::move(stop);
    impl_->boundPort = net::hostPort(*bound);
    impl_->listener = std::move(listener);
    impl_->acceptThread = std::thread([impl = impl_.get()] { impl->acceptLoop(); });
    return true;
}

void MainUnitServer::stop() {
    if (!impl_->acceptThread.joinable()) return;
    // Raised once and never cleared, so every wait of every session sees it.
    impl_->stop->raise();
    impl_->acceptThread.join();
    impl_->reapFinished(true);
    impl_->listener.close();
    impl_->stop.reset();
}

std::uint16_t MainUnitServer::port() const {
    return impl_->boundPort;
}

void MainUnitServer::setFaults(const Faults& faults) {
    std::lock_guard lock(impl_->faultsMutex);
    impl_->faults = faults;
}

Faults MainUnitServer::faults() const {
    std::lock_guard lock(impl_->faultsMutex);
    return impl_->faults;
}

int MainUnitServer::sessionsAccepted() const {
    return impl_->accepted.load();
}
int MainUnitServer::sessionsOpen() const {
    return impl_->open.load();
}

}  // namespace plova::sim
