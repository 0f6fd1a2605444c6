#include "cli/LinkOptions.h"

#include "link/CFtpMng.h"
#include "platform/File.h"
#include "platform/Text.h"

namespace plova::cli {

std::optional<std::string> ReadPasswordFile(const std::string& file) {
    // A pipe or device under the name is refused rather than waited on.
    constexpr std::uint64_t kMaxPasswordFileBytes = 4096;
    std::string bytes;
    if (ReadWholeFile(PathFromUtf8(file), bytes, kMaxPasswordFileBytes) != ReadResult::Ok || bytes.empty())
        return std::nullopt;
    std::string line = bytes.substr(0, bytes.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> TakeLinkOptions(Args& args, LinkOptions& options) {
    std::optional<std::string> host, port, user, password, passwordFile;
    Args rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::optional<std::string>* slot = nullptr;
        if (args[i] == "--host")
            slot = &host;
        else if (args[i] == "--port")
            slot = &port;
        else if (args[i] == "--user")
            slot = &user;
        else if (args[i] == "--password")
            slot = &password;
        else if (args[i] == "--password-file")
            slot = &passwordFile;
        if (!slot) {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) return args[i] + " needs a value";
        if (*slot) return args[i] + " is given twice";
        *slot = args[++i];
    }
    if (!host || !user) return std::string("--host and --user are required");
    if (password.has_value() == passwordFile.has_value())
        return std::string("give either --password or --password-file");
    if (port) {
        options.port = CFtpMng::ParsePort(*port);
        if (!options.port) return std::string("--port takes a number from 1 to 65535");
    }
    if (passwordFile) {
        // The first line of the file, so a password never shows in the process list.
        password = ReadPasswordFile(*passwordFile);
        if (!password) return "cannot read the password file " + *passwordFile;
    }
    options.host = *host;
    options.user = *user;
    options.password = *password;
    args = std::move(rest);
    return std::nullopt;
}

const char* LoginFailure(ftp::LoginResult result) {
    switch (result) {
    case ftp::LoginResult::Ok: return "logged in";
    case ftp::LoginResult::ConnectFailed: return "cannot connect to the main unit";
    case ftp::LoginResult::Refused: return "the main unit refused the user name or password";
    case ftp::LoginResult::UnsupportedModel: return "the main unit is not a supported model";
    }
    return "login failed";
}

}  // namespace plova::cli
