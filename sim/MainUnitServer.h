// A main unit on loopback: an FTP server that serves a directory tree as the
// main unit's disk ("/rusuroku/<box>", "/naisen/<box>", "/outou") and behaves
// as the main unit does. Tests start it in-process; mainunit-sim wraps it as
// a program for the demo and for measurements against other clients.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace plova::sim {

struct Faults {
    std::string greetingModel = "Kw-TX";  // another text gives an unsupported model
    bool refuseLogin = false;             // PASS answered 530
    // Closes the control and data connections after this many bytes of a
    // RETR or NLST data transfer (0: never).
    std::uint64_t dropAfterBytes = 0;
    // Stops sending data for this many milliseconds after the first block of
    // a data transfer (0: never), then goes on.
    int stallMillis = 0;
    // Sends the data of every RETR and NLST transfer at most this many bytes
    // a second, in small pieces (0: as fast as it goes).
    std::uint32_t trickleBytesPerSecond = 0;
    bool endlessRetr = false;            // a RETR goes on sending bytes after the end of the file, without end
    bool endlessListing = false;         // a listing goes on adding lines after the last name, without end
    bool overlongReply = false;          // the reply to USER is a line of 600 characters
    bool multilineReplies = false;       // 230 and 250 replies come as "code-" continuation blocks
    bool garbageReply = false;           // the reply to PASS is a line without a code
    bool hostileListing = false;         // name listings also name "../evil.vmdat", "a/b.vmdat" and the like
    std::uint64_t hugeListingBytes = 0;  // name listings padded to at least this many bytes
    bool errorAfterTransfer = false;     // a RETR transfer ends with 451 instead of 226
    // RETR sends this many bytes more (zeros after the file) or, when
    // negative, fewer than the file holds, and still ends with 226.
    std::int64_t retrLengthChange = 0;
    std::set<std::string> inUse;  // file names (not paths) answered 450 by DELE and STOR
    // File names (not paths) whose RETR is refused with this code (550: the
    // file has gone since it was listed; anything else: the main unit fails).
    std::map<std::string, int> refuseRetr;
    bool noRoom = false;  // STOR answered 450
    // File names (not paths) whose DELE fails: answered with this code, or
    // with 0 the control connection closes without a reply (the main unit
    // went away in the middle of a run of deletions).
    std::map<std::string, int> failDele;
    // The greeting's code; another code than 220 (421: service not available)
    // closes the connection right after the greeting.
    int greetingCode = 220;
};

struct Options {
    std::filesystem::path root;  // the main unit's disk
    std::string user = "admin";
    std::string password = "admin";
    std::string bindAddress = "127.0.0.1";
    std::uint16_t port = 0;  // 0: any free port
    bool log = false;        // every command and reply to stderr
    Faults faults;
};

class MainUnitServer {
public:
    explicit MainUnitServer(Options options);
    ~MainUnitServer();  // stops the server and joins its threads
    MainUnitServer(const MainUnitServer&) = delete;
    MainUnitServer& operator=(const MainUnitServer&) = delete;

    // Binds and starts serving on a thread of its own. False when the port cannot be bound.
    bool Start();
    // Closes the listening socket and every open session; joins the threads.
    void Stop();
    [[nodiscard]] std::uint16_t Port() const;

    // Fault switches may be changed while running; they apply to the next command.
    void SetFaults(const Faults& faults);
    [[nodiscard]] Faults CurrentFaults() const;

    // Sessions accepted so far, and sessions still open (for leak checks in tests).
    [[nodiscard]] int SessionsAccepted() const;
    [[nodiscard]] int SessionsOpen() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace plova::sim
