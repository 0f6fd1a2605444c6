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
    bool connected() const { return control_.isOpen(); }

    // One line without its CRLF, or nothing on time-out or end of stream.
    std::optional<std::string> readLine(int timeoutMillis = 5000);
    // A whole reply: continuation lines up to "code " when the first is "code-".
    Reply readReply(int timeoutMillis = 5000);
    bool send(const std::string& line);  // CRLF is added
    Reply command(const std::string& line, int timeoutMillis = 5000);
    // Greeting, USER and PASS; true when PASS is answered 230.
    bool login(const std::string& user = "admin", const std::string& password = "admin");

    // A listening socket on 127.0.0.1 announced with PORT; the PORT reply.
    Reply announcePort();
    // Stops listening on the announced port: the server's connection is then refused.
    void closeListener() { listener_.close(); }
    // Accepts the server's data connection for the announced port.
    net::Socket acceptData(int timeoutMillis = 5000);
    // Everything the peer sends until it closes (or `timeoutMillis` of silence).
    static std::string readAll(net::Socket& data, int timeoutMillis = 5000);

    struct Transfer {
        Reply port;   // reply to PORT
        Reply first;  // reply to the command (150, or the refusal)
        Reply end;    // 226 or whatever ended it; code -1 when there was none
        std::string data;
        bool connected = false;  // the server opened the data connection
    };
    // PORT, the command, the data (received, or `upload` sent), the end reply.
    Transfer transfer(const std::string& command, const std::optional<std::string>& upload = std::nullopt);

    // True when the server closes the control connection within the wait.
    bool closedByServer(int timeoutMillis = 5000);
    void close() { control_.close(); }

private:
    net::Socket control_;
    net::Socket listener_;
    std::string buffer_;
};

}  // namespace plova::sim::testing
