// A standard FTP server process for the tests that keep the client honest
// about plain FTP: any server that keeps to the protocol must do.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace plova::testkit {

// A standard FTP server (pyftpdlib, run by Debian's Python) on 127.0.0.1,
// serving `root` to user "admin" with password "admin" and logging every
// command it receives.
class StandardFtpServer {
public:
    StandardFtpServer(const std::filesystem::path& root, const std::string& banner);
    ~StandardFtpServer();  // ends the server process
    StandardFtpServer(const StandardFtpServer&) = delete;
    StandardFtpServer& operator=(const StandardFtpServer&) = delete;

    [[nodiscard]] bool Running() const { return port_ != 0; }
    [[nodiscard]] std::uint16_t Port() const { return port_; }
    // The commands received so far (verb and argument, as sent).
    [[nodiscard]] std::vector<std::string> Commands() const;

private:
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    std::filesystem::path log_;
};

}  // namespace plova::testkit
