// The simulated main unit's command reader: a whole control connection, from
// the greeting to the client closing, over a socket pair. The input's first
// byte switches faults of the replies on; the rest is what the client sends.
// Whatever arrives, every reply is a whole CR LF line of the FTP form and
// nothing outside the served tree is ever touched.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <thread>

#include "fuzz/FuzzSupport.h"
#include "sim/FtpSession.h"

using namespace plova;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxInput = 16384;
// A data connection announced by PORT must name the client; this address
// can never be connected to, so no transfer ever leaves the process.
constexpr std::uint32_t kUnreachablePeer = 0xFFFFFFFF;

constexpr const char* kFiles[] = {
    "unit/rusuroku/0001/202612071405_MON_0001_00001.vmdat",
    "unit/rusuroku/0001/202612071405_MON_0001_00001.vminf",
    "unit/naisen/2001/202612061200_SUN_2001_00001.vmdat",
    "unit/outou/202612011000_TUE_A010_0000.vmdat",
    "outside/202612071405_MON_0001_00002.vmdat",  // beside the served tree, never to be reached
};

// The served tree, put back as it was before each run (DELE may have removed files).
void restoreTree(const fs::path& root) {
    for (const char* name : kFiles) {
        const fs::path file = root / name;
        if (fs::exists(file)) continue;
        fs::create_directories(file.parent_path());
        std::string bytes(300, '\0');
        bytes.replace(0, 16, "Kw-TX Voice-data");
        fuzz::WriteFile(file, bytes);
    }
    const fs::path link = root / "unit" / "rusuroku" / "0002";
    if (!fs::is_symlink(link)) fs::create_directory_symlink("../../outside", link);
}

// Every reply line ends in CR LF and starts with a three-digit code and a
// space or "-", or is the inside of a block (a leading space).
void checkReplies(std::string_view replies) {
    while (!replies.empty()) {
        const std::size_t end = replies.find("\r\n");
        FUZZ_CHECK(end != std::string_view::npos);
        const std::string_view line = replies.substr(0, end);
        const bool coded = line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                           std::isdigit(static_cast<unsigned char>(line[1])) &&
                           std::isdigit(static_cast<unsigned char>(line[2])) && (line[3] == ' ' || line[3] == '-');
        FUZZ_CHECK(coded || line.starts_with(" "));
        replies.remove_prefix(end + 2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > kMaxInput) return 0;
    const fs::path root = fuzz::ScratchFolder() / "sim";
    restoreTree(root);

    static sim::Options options = [&] {
        sim::Options o;
        o.root = root / "unit";
        return o;
    }();
    sim::Faults faults;
    const std::uint8_t switches = data[0];
    faults.multilineReplies = switches & 0x01;
    faults.overlongReply = switches & 0x02;
    faults.garbageReply = switches & 0x04;
    faults.hostileListing = switches & 0x08;
    faults.refuseLogin = switches & 0x10;

    int fds[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0);
    std::string replies;
    std::thread client([&] {
        const char* bytes = reinterpret_cast<const char*>(data + 1);
        std::size_t sent = 0;
        while (sent < size - 1) {
            const ssize_t n = ::send(fds[1], bytes + sent, size - 1 - sent, MSG_NOSIGNAL);
            if (n <= 0) break;  // the session has closed
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(fds[1], SHUT_WR);
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fds[1], buffer, sizeof buffer, 0)) > 0;) replies.append(buffer, n);
        ::close(fds[1]);
    });

    std::mutex diskMutex;
    sim::SessionContext context;
    context.options = &options;
    context.faults = [&faults] { return faults; };
    context.diskMutex = &diskMutex;
    sim::FtpSession(net::Socket(fds[0]), kUnreachablePeer, 1, context).Run();
    client.join();

    if (!faults.garbageReply) checkReplies(replies);
    FUZZ_CHECK(fs::exists(root / kFiles[4]));
    return 0;
}
