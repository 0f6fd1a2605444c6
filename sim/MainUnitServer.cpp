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

    void AcceptLoop();
    void ReapFinished(bool all);
};

void MainUnitServer::Impl::ReapFinished(bool all) {
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

void MainUnitServer::Impl::AcceptLoop() {
    const net::NativeSocket stopSocket = stop->Native();
    for (;;) {
        if (net::WaitFor(listener.Native(), net::kReadable, -1, stopSocket) != net::Wait::Ready) return;
        net::Socket control = net::AcceptNow(listener, net::Mode::NonBlocking);
        const auto from = control.IsOpen() ? net::PeerAddress(control) : std::nullopt;
        if (!from) {
            // Out of descriptors, a client that gave up before it was
            // accepted or the like: back off rather than spin.
            if (net::WaitFor(stopSocket, net::kReadable, kAcceptBackOffMillis) == net::Wait::Ready) return;
            continue;
        }
        // Replies are small and come in pairs (150, then 226): without this
        // the second one waits for the client's delayed acknowledgement.
        net::SendAtOnce(control);
        ReapFinished(false);
        if (open.load() >= kMaxSessions) {
            net::SendAll(control, kTooManySessions, kTurnAwayMillis, stopSocket);
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
        auto session = std::make_shared<FtpSession>(std::move(control), net::HostAddress(*from), id, context);
        std::lock_guard lock(sessionsMutex);
        try {
            sessions.push_back({std::thread([this, session, done] {
                                    session->Run();
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
    Stop();
}

bool MainUnitServer::Start() {
    if (impl_->acceptThread.joinable()) return true;
    const auto address = net::ResolveIPv4(impl_->options.bindAddress);
    if (!address) return false;
    // Non-blocking, so that taking a connection never waits: the accept
    // thread waits in one place only, where the stop signal reaches it.
    net::Socket listener = net::OpenStream(net::Mode::NonBlocking);
    if (!listener.IsOpen()) return false;
    net::AllowQuickRebind(listener);
    const sockaddr_in at = net::Ipv4Address(net::HostAddress(*address), impl_->options.port);
    if (!net::BindAndListen(listener, at, kListenBacklog)) return false;
    const auto bound = net::LocalAddress(listener);
    if (!bound) return false;
    auto stop = std::make_unique<net::StopSignal>();
    if (!stop->Valid()) return false;
    impl_->stop = std::move(stop);
    impl_->boundPort = net::HostPort(*bound);
    impl_->listener = std::move(listener);
    impl_->acceptThread = std::thread([impl = impl_.get()] { impl->AcceptLoop(); });
    return true;
}

void MainUnitServer::Stop() {
    if (!impl_->acceptThread.joinable()) return;
    // Raised once and never cleared, so every wait of every session sees it.
    impl_->stop->Raise();
    impl_->acceptThread.join();
    impl_->ReapFinished(true);
    impl_->listener.Close();
    impl_->stop.reset();
}

std::uint16_t MainUnitServer::Port() const {
    return impl_->boundPort;
}

void MainUnitServer::SetFaults(const Faults& faults) {
    std::lock_guard lock(impl_->faultsMutex);
    impl_->faults = faults;
}

Faults MainUnitServer::CurrentFaults() const {
    std::lock_guard lock(impl_->faultsMutex);
    return impl_->faults;
}

int MainUnitServer::SessionsAccepted() const {
    return impl_->accepted.load();
}
int MainUnitServer::SessionsOpen() const {
    return impl_->open.load();
}

}  // namespace plova::sim
