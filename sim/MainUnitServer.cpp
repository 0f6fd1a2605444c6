#include "sim/MainUnitServer.h"

#include "platform/Socket.h"
#include "sim/FtpSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

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
    int stopFd = -1;
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
    for (;;) {
        if (net::waitFor(listener.fd(), POLLIN, -1, stopFd) != net::Wait::Ready) return;
        sockaddr_in from{};
        socklen_t len = sizeof from;
        net::Socket control(
            ::accept4(listener.fd(), reinterpret_cast<sockaddr*>(&from), &len, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!control.isOpen()) {
            if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED) continue;
            // Out of descriptors or the like: back off rather than spin.
            if (net::waitFor(stopFd, POLLIN, kAcceptBackOffMillis) == net::Wait::Ready) return;
            continue;
        }
        // Replies are small and come in pairs (150, then 226): without this
        // the second one waits for the client's delayed acknowledgement.
        int yes = 1;
        ::setsockopt(control.fd(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        reapFinished(false);
        if (open.load() >= kMaxSessions) {
            net::sendAll(control, kTooManySessions, kTurnAwayMillis, stopFd);
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
        context.stopFd = stopFd;
        context.diskMutex = &diskMutex;
        auto done = std::make_shared<std::atomic<bool>>(false);
        auto session = std::make_shared<FtpSession>(std::move(control), ntohl(from.sin_addr.s_addr), id, context);
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
    in_addr address{};
    if (::inet_pton(AF_INET, impl_->options.bindAddress.c_str(), &address) != 1) return false;
    net::Socket listener = net::openStream();
    if (!listener.isOpen()) return false;
    int yes = 1;
    ::setsockopt(listener.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(impl_->options.port);
    at.sin_addr = address;
    if (!net::bindAndListen(listener, at, kListenBacklog)) return false;
    const auto bound = net::localAddress(listener);
    if (!bound) return false;
    int stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) return false;
    impl_->stopFd = stopFd;
    impl_->boundPort = ntohs(bound->sin_port);
    impl_->listener = std::move(listener);
    impl_->acceptThread = std::thread([impl = impl_.get()] { impl->acceptLoop(); });
    return true;
}

void MainUnitServer::stop() {
    if (!impl_->acceptThread.joinable()) return;
    // Never read: the descriptor stays readable, so every wait of every session sees it.
    std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(impl_->stopFd, &one, sizeof one);
    impl_->acceptThread.join();
    impl_->reapFinished(true);
    impl_->listener.close();
    ::close(impl_->stopFd);
    impl_->stopFd = -1;
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
