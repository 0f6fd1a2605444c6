// One control connection of the main unit's FTP server, from the greeting to
// QUIT (or a dropped connection, the idle time-out, a fault that closes it,
// or the server stopping). Runs on a thread of its own.
#pragma once

#include "platform/AtomicFile.h"
#include "platform/Socket.h"
#include "sim/MainUnitDisk.h"
#include "sim/MainUnitServer.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace plova::sim {

// What every session of one server shares.
struct SessionContext {
    const Options* options = nullptr;
    std::function<Faults()> faults;           // the switches in force now
    net::NativeSocket stop = net::kNoSocket;  // readable once the server stops
    std::mutex* diskMutex = nullptr;          // serialises changes to the disk (STOR, DELE)
};

class FtpSession {
public:
    FtpSession(net::Socket control, std::uint32_t peerAddress, int id, SessionContext context);
    void Run();

private:
    enum class TransferEnd { Complete, PeerClosed, TimedOut, Aborted, ControlClosed, Dropped, Stopped, LocalError };

    std::optional<std::string> readCommand();
    bool reply(int code, const std::string& text);
    bool replyRaw(const std::string& bytes);
    void log(const char* direction, const std::string& line) const;
    void dispatch(const std::string& verb, const std::string& argument);

    void onUser(const std::string& argument);
    void onPass(const std::string& argument);
    void onCwd(const std::string& argument);
    void onPort(const std::string& argument);
    void onList(const std::string& argument, bool longForm);
    void onRetr(const std::string& argument);
    void onStor(const std::string& argument);
    void onDele(const std::string& argument);
    void onSize(const std::string& argument);
    void onMdtm(const std::string& argument);

    // Connects to the address announced by PORT (which is then used up).
    // Replies 425 itself and returns an empty socket when that fails.
    net::Socket openData();
    TransferEnd sendData(net::Socket& data, const std::function<long(char*, std::size_t)>& read, const Faults& faults);
    TransferEnd receiveData(net::Socket& data, AtomicFile& out, std::uint64_t limit, bool& tooLarge);
    // Watches the control connection during a transfer: true when it asks to
    // abort (ABOR) or has gone; other commands wait for their turn.
    bool controlInterrupts(TransferEnd& why);
    // Sends nothing for `millis` while still hearing ABOR and the server
    // stopping: why the transfer ends, or nothing when the pause ran out.
    std::optional<TransferEnd> pauseTransfer(long long millis);
    [[nodiscard]] bool watchingControl() const;
    // Waits until the data socket is ready for `events`; otherwise why the transfer ends.
    std::optional<TransferEnd> awaitData(net::Socket& data, short events);
    // After an upload's data ends: true when the client follows it with ABOR.
    bool abortFollows();
    void endTransfer(TransferEnd end, net::Socket& data, int successCode, const std::string& successText);

    // The listing's text; `longForm` comes back set when an option asked for it.
    std::string listing(const std::string& argument, bool& longForm, const Faults& faults, int& refusal);

    net::Socket control_;
    std::uint32_t peer_;
    int id_;
    SessionContext ctx_;
    MainUnitDisk disk_;
    Faults faults_;  // as they stood when the current command arrived
    std::string input_;
    bool discarding_ = false;  // skipping the rest of an overlong command line
    bool open_ = true;
    std::string user_;
    bool userGiven_ = false;
    bool loggedIn_ = false;
    std::string cwd_ = "/";
    std::optional<std::pair<std::uint32_t, std::uint16_t>> dataAddress_;
    std::uint64_t restart_ = 0;
};

}  // namespace plova::sim
