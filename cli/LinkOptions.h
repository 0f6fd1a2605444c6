// The options every command that talks to the main unit takes:
// --host H [--port P] --user U (--password W | --password-file F).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/Command.h"
#include "link/CFtpMng.h"

namespace plova::cli {

struct LinkOptions {
    std::string host;
    std::optional<std::uint16_t> port;  // none: PLOVA_FTP_PORT, else the services database, else 21
    std::string user;
    std::string password;
};

constexpr const char* kLinkSynopsis = "--host H [--port P] --user U (--password W | --password-file F)";

// The first line of a password file (without its CR LF): a regular file of
// at most a few kilobytes, read without waiting on a pipe. Nothing when it
// cannot be read.
std::optional<std::string> ReadPasswordFile(const std::string& file);

// Takes the link options out of `args`, leaving everything else in order.
// Nothing on success; otherwise why the options cannot be used.
std::optional<std::string> TakeLinkOptions(Args& args, LinkOptions& options);

// Why a login failed, in the words a command's error line uses.
const char* LoginFailure(ftp::LoginResult result);

}  // namespace plova::cli
