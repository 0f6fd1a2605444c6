// A deliberately small FTP client on raw sockets for the server's tests: it
// sends exactly the bytes a test gives it and shows exactly what came back,
// multi-line replies and all. Active mode only, like the main unit's clients.
#pragma once

#include "platform/Socket.h"

#include <cstdint>
#include <optional>
#include <string>

namespace plova::sim::testing {

struct Reply {
    int code = -1;     // -1: no reply (time-out or closed)
    std::string text;  // the last line, without code and CRLF
    std::string raw;   // every line with its CRLF
};

class FtpTestClient {
public:
    explicit FtpTestClient(std::uint16_t port);
    [[nodiscard]] bool Connected() const { return control_.IsOpen(); }

    // One line without its CRLF, or nothing on time-out or end of stream.
    std::optional<std::string> ReadLine(int timeoutMillis = 5000);
    // A whole reply: continuation lines up to "code " when the first is "code-".
    Reply ReadReply(int timeoutMillis = 5000);
    bool Send(const std::string& line);  // CRLF is added
    Reply Command(const std::string& line, int timeoutMillis = 5000);
    // Greeting, USER and PASS; true when PASS is answered 230.
    bool Login(const std::string& user = "admin", const std::string& password = "admin");

    // A listening socket on 127.0.0.1 announced with PORT; the PORT reply.
    Reply AnnouncePort();
    // Stops listening on the announced port: the server's connection is then refused.
    void CloseListener() { listener_.Close(); }
    // Accepts the server's data connection for the announced port.
    net::Socket AcceptData(int timeoutMillis = 5000);
    // Everything the peer sends until it closes (or `timeoutMillis` of silence).
    static std::string ReadAll(net::Socket& data, int timeoutMillis = 5000);

    struct Transfer {
        Reply port;   // reply to PORT
        Reply first;  // reply to the command (150, or the refusal)
        Reply end;    // 226 or whatever ended it; code -1 when there was none
        std::string data;
        bool connected = false;  // the server opened the data connection
    };
    // PORT, the command, the data (received, or `upload` sent), the end reply.
    Transfer RunTransfer(const std::string& command, const std::optional<std::string>& upload = std::nullopt);

    // True when the server closes the control connection within the wait.
    bool ClosedByServer(int timeoutMillis = 5000);
    void Close() { control_.Close(); }

private:
    net::Socket control_;
    net::Socket listener_;
    std::string buffer_;
};

}  // namespace plova::sim::testing
