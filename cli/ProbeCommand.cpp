// plova-cli probe --host H [--port P] --user U --password W: logs in to the
// main unit, prints the login result and the three folder listings as JSON,
// logs out. Without --port the port comes from PLOVA_FTP_PORT, else the
// services database, else 21.
#include <optional>
#include <set>

#include "cli/Command.h"
#include "cli/RecordJson.h"
#include "link/CFtpMng.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"

namespace plova::cli {
namespace {

constexpr const char* kName = "probe";

const char* loginWords(ftp::LoginResult result) {
    switch (result) {
    case ftp::LoginResult::Ok: return "logged in";
    case ftp::LoginResult::ConnectFailed: return "connection failed";
    case ftp::LoginResult::Refused: return "login refused";
    case ftp::LoginResult::UnsupportedModel: return "unsupported model";
    }
    return "unknown";
}

// The lines of a listing as the main unit sent them, without the empty ones.
nlohmann::json lines(const std::u16string& listing) {
    nlohmann::json out = nlohmann::json::array();
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find(u"\r\n", start);
        if (end == std::u16string::npos) end = listing.size();
        if (end > start) out.push_back(ToUtf8(std::u16string_view(listing).substr(start, end - start)));
        start = end + 2;
    }
    return out;
}

int runProbe(const Args& args, std::ostream& out, std::ostream& err) {
    static const std::set<std::string> known = {"--host", "--port", "--user", "--password"};
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (!known.count(args[i]) || i + 1 >= args.size())
            return Fail(err, kName, "expects --host H [--port P] --user U --password W", kUsage);
    }
    const auto host = OptionValue(args, "--host");
    const auto user = OptionValue(args, "--user");
    const auto password = OptionValue(args, "--password");
    if (!host || !user || !password) return Fail(err, kName, "--host, --user and --password are required", kUsage);
    std::optional<std::uint16_t> port;
    if (const auto text = OptionValue(args, "--port")) {
        port = CFtpMng::ParsePort(*text);
        if (!port) return Fail(err, kName, "--port takes a number from 1 to 65535", kUsage);
    }

    CFtpMng mng;
    const ftp::LoginResult login = mng.Login(FromUtf8(*host), FromUtf8(*user), FromUtf8(*password), port);
    nlohmann::json result{{"login", loginWords(login)}, {"result", ftp::ResultCode(login)}};
    if (login != ftp::LoginResult::Ok) {
        out << JsonLine(result) << '\n';
        return Fail(err, kName, std::string(loginWords(login)) + " (" + *host + ")");
    }
    std::u16string root, answering, extension;
    const ftp::ListResult listed = mng.ListFolders(root, answering, extension);
    result["folders"] = ftp::ResultCode(listed);
    result["root"] = lines(root);
    result["rusuroku"] = lines(answering);
    result["naisen"] = lines(extension);
    mng.Logout();
    out << JsonLine(result) << '\n';
    if (listed == ftp::ListResult::NotStarted) return Fail(err, kName, "the main unit refused to list its folders");
    if (listed != ftp::ListResult::Listed)
        return Fail(err, kName, "communication error: the folder listings could not be read whole");
    return kOk;
}

}  // namespace

extern const Command probeCommand;
const Command probeCommand{"probe", "--host H [--port P] --user U --password W",
                           "log in to the main unit, print the login result and the folder listings as JSON "
                           "(port: --port, else PLOVA_FTP_PORT, else 21)",
                           runProbe};

}  // namespace plova::cli
