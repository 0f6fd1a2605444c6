// plova-cli upload FILE… --host H [--port P] --user U (--password W |
// --password-file F): sends system response messages to the main unit as the
// upload command of the program does, one line per file, and sets each
// file's upload mark.
#include "cli/Command.h"
#include "cli/LinkOptions.h"
#include "link/ResponseUpload.h"
#include "oplog/OperationLog.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kName = "upload";

int runUpload(const Args& arguments, std::ostream& out, std::ostream& err) {
    Args files = arguments;
    LinkOptions link;
    if (const auto why = TakeLinkOptions(files, link))
        return Fail(err, kName, *why + " (expects FILE… " + kLinkSynopsis + ")", kUsage);
    if (files.empty()) return Fail(err, kName, std::string("expects FILE… ") + kLinkSynopsis, kUsage);
    for (const std::string& f : files)
        if (f.starts_with("--")) return Fail(err, kName, "unknown option " + f, kUsage);

    // Nothing is sent unless every file is a message the main unit can take.
    bool valid = true;
    for (const std::string& f : files) {
        if (IsUploadableMessage(PathFromUtf8(f))) continue;
        Fail(err, kName, f + ": not a system response message file (YYYYMMDDhhmm_WWW_ANNN_0000.vmdat)");
        valid = false;
    }
    if (!valid) return kFailed;

    CFtpMng ftp;
    const ftp::LoginResult login =
        ftp.Login(FromUtf8(link.host), FromUtf8(link.user), FromUtf8(link.password), link.port);
    if (login != ftp::LoginResult::Ok)
        return Fail(err, kName, "cannot log in to the main unit at " + link.host + ": " + LoginFailure(login));

    int code = kOk;
    oplog::Operation log("upload", store::BoxFolderOfMessage(fs::absolute(PathFromUtf8(files.front()))));
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path file = PathFromUtf8(files[i]);
        FILESTS_INFO record;
        CFileMng::ReadStatusRecord(file, record);
        record.filePath = TextOfPath(fs::absolute(file));
        switch (UploadResponseMessage(ftp, record, &log)) {
        case UploadOutcome::Accepted: out << Printable(files[i]) << ": accepted\n"; continue;
        case UploadOutcome::Unmarked:
            out << Printable(files[i]) << ": accepted, but its upload mark cannot be written into the file\n";
            code = kFailed;
            continue;
        case UploadOutcome::Refused:
            out << Printable(files[i]) << ": refused (in use, no room, or older than the main unit's copy)\n";
            code = kFailed;
            continue;
        case UploadOutcome::Missing:
        case UploadOutcome::Skipped:
            out << Printable(files[i]) << ": refused (the file is gone)\n";
            code = kFailed;
            continue;
        case UploadOutcome::CommunicationError:
        case UploadOutcome::Cancelled: break;
        }
        std::string untried;
        for (std::size_t j = i + 1; j < files.size(); ++j) untried += " " + files[j];
        ftp.Logout();
        return Fail(err, kName,
                    files[i] + ": communication error; the session is closed" +
                        (untried.empty() ? std::string() : "; not tried:" + untried));
    }
    ftp.Logout();
    return code;
}

}  // namespace

extern const Command uploadCommand;
const Command uploadCommand{"upload", "FILE… --host H [--port P] --user U (--password W | --password-file F)",
                            "send system response messages to the main unit's outou and set their upload mark; "
                            "one line per file (accepted / refused); stops at a communication error "
                            "(port: --port, else PLOVA_FTP_PORT, else 21)",
                            runUpload};

}  // namespace plova::cli
