// Reply lines as the main unit's control connection delivers them, read by
// the session itself over a socket pair: the input is everything the server
// sends before it closes. Each read must end, never take more than it may,
// never report a line that holds a line end, and a reply must be taken
// whole and alone.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "link/FTP_SESSION.h"
#include "link/FtpReply.h"

using namespace plova;

namespace {

// A socket buffer holds at least this much, so one write takes the whole input.
constexpr std::size_t kMaxInput = 100000;

std::size_t waitingBytes(int fd) {
    int n = 0;
    return ::ioctl(fd, FIONREAD, &n) == 0 && n > 0 ? static_cast<std::size_t>(n) : 0;
}

void checkLine(const std::u16string& line, int maxLength) {
    FUZZ_CHECK(line.size() < static_cast<std::size_t>(maxLength));
    FUZZ_CHECK(line.find(u"\r\n") == std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > kMaxInput) return 0;
    static const bool ignored = (::signal(SIGPIPE, SIG_IGN), true);
    (void)ignored;

    int fds[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0);
    const int buffer = static_cast<int>(2 * kMaxInput);
    ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    ::setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    // The first byte picks how the session reads; the rest is the server's output.
    const std::uint8_t mode = data[0];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(fds[1], bytes + sent, length - sent, MSG_NOSIGNAL);
        FUZZ_CHECK(n > 0);
        sent += static_cast<std::size_t>(n);
    }
    ::close(fds[1]);  // the server closes: every wait ends at once

    // Everything has arrived and the server has closed, so no read ever waits
    // its time out. The waits are still long: a reply's deadline is a few of
    // them counted by the clock, and a fuzzer starved of the processor by
    // other work must not see its reads time out with the bytes waiting.
    Timeouts t;
    t.replyMillis = t.longReplyMillis = t.drainMillis = t.dataMillis = t.retrieveEndMillis = 2000;
    t.drainTotalMillis = 6000;
    FTP_SESSION session(t);
    session.control = net::Socket(fds[0]);

    const std::string_view sentBytes(bytes, length);
    // A whole reply is taken up to the end of its last line and no further:
    // the next reply stays for the next command.
    auto atLineBoundary = [&](std::size_t stillWaiting) {
        const std::size_t taken = length - stillWaiting;
        return stillWaiting == 0 || (taken >= 2 && sentBytes.substr(taken - 2, 2) == "\r\n");
    };

    std::size_t left = waitingBytes(fds[0]);
    // Every read takes at least one byte while any are waiting.
    for (std::size_t step = 0; left > 0 && step <= length; ++step) {
        std::u16string line;
        const int how = (mode >> (2 * (step % 4))) & 3;
        switch (how) {
        case 0: {
            const ftp::Reply result = session.Command(u"", &line);
            checkLine(line, ftp::kReplyLineMax);
            // Only a line with a code answers, and a refusal always carries its code.
            FUZZ_CHECK(result.outcome != ftp::ReplyOutcome::Accepted || ftp::ReplyCode(line));
            FUZZ_CHECK(result.outcome != ftp::ReplyOutcome::Refused || result.code == ftp::ReplyCode(line));
            break;
        }
        case 1: {
            const ftp::Reply result = session.ReadTransferEnd();
            FUZZ_CHECK(result.outcome != ftp::ReplyOutcome::Refused || result.code >= 0);
            break;
        }
        case 2: {
            const int maxLength = 2 + (mode % 64);
            const bool read = session.ReadReplyLine(line, maxLength, false);
            checkLine(line, maxLength);
            FUZZ_CHECK(read || line.size() < static_cast<std::size_t>(maxLength));
            break;
        }
        case 3: session.Drain(); break;
        }
        const std::size_t now = waitingBytes(fds[0]);
        FUZZ_CHECK(now < left);
        if (how != 2) FUZZ_CHECK(atLineBoundary(now));
        left = now;
    }
    return 0;
}
