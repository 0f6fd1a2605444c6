// plova-cli verify [--settings FILE] [ROOT_OR_MONTH_FOLDER]: checks a backup
// against the manifests its runs wrote and the messages' own structure. One
// line per problem on stdout, then a summary; the exit status is 0 only when
// everything holds. The result goes into the operations log.
#include <ostream>

#include "app/SettingsRecord.h"
#include "backup/BackupManifest.h"
#include "cli/Command.h"
#include "oplog/OperationLog.h"
#include "platform/AppPaths.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;
constexpr const char* kName = "verify";

std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

// The root folder the window would back up into at its next start.
std::optional<fs::path> storedRoot(const Args& args, std::ostream& err) {
    const fs::path file = SettingsPath(args);
    const std::optional<IniDocument> ini = LoadForUpdate(file);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec) || !ini) {
        Fail(err, kName, "no folder given and no settings file at " + Utf8Of(file));
        return std::nullopt;
    }
    SettingsRecord record;
    ReadAllSettings(*ini, record);
    if (record.change == 1) record.folder = record.nextFolder;
    if (record.folder.empty()) {
        Fail(err, kName, "no folder given and no root folder in " + Utf8Of(file));
        return std::nullopt;
    }
    return PathOfText(record.folder);
}

void record(const fs::path& target, const backup::VerifyReport& report, const std::string& summary) {
    oplog::Operation log("verify", target, summary);
    for (const backup::VerifyProblem& p : report.problems) log.Add(p.where, oplog::Outcome::Failed, p.what);
    log.Finish(report.Holds() ? oplog::Result::Ok : oplog::Result::Failed);
}

int runVerify(const Args& args, std::ostream& out, std::ostream& err) {
    Args settingsArgs, rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--settings" && i + 1 < args.size()) {
            settingsArgs = {args[i], args[i + 1]};
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Fail(err, kName, "unknown option or missing value: " + args[i], kUsage);
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.size() > 1) return Fail(err, kName, "expects at most one folder", kUsage);

    fs::path target;
    if (rest.empty()) {
        const std::optional<fs::path> root = storedRoot(settingsArgs, err);
        if (!root) return kUsage;
        target = *root;
    } else {
        target = PathFromUtf8(rest[0]);
    }
    std::error_code ec;
    if (!fs::is_directory(target, ec)) return Fail(err, kName, "not a folder: " + Utf8Of(target));

    const backup::VerifyReport report = backup::VerifyBackup(target);
    for (const backup::VerifyProblem& p : report.problems)
        out << Printable(p.where) << ": " << Printable(p.what) << '\n';
    std::string summary;
    if (report.months == 0) {
        summary = "no BU_YYYYMM month folder in " + Utf8Of(target);
    } else {
        summary = counted(report.months, "month", "months") + ", " + counted(report.files, "file", "files") +
                  " against their manifests, " + counted(report.messages, "message file", "message files") +
                  " checked: " +
                  (report.problems.empty() ? std::string("everything holds")
                                           : counted(static_cast<int>(report.problems.size()), "problem", "problems"));
        if (!report.open.empty()) {
            summary += "; not complete, so without a manifest:";
            for (const std::string& month : report.open) summary += ' ' + month;
        }
    }
    out << Printable(summary) << '\n';
    record(target, report, summary);
    return report.Holds() ? kOk : kFailed;
}

}  // namespace

extern const Command verifyCommand;
const Command verifyCommand{
    kName, "[--settings FILE] [ROOT_OR_MONTH_FOLDER]",
    "check the backup: every BU_YYYYMM month folder under the root folder (by default the settings file's), or "
    "the one month folder given, file by file against its SHA256SUMS (missing, changed, not listed), every "
    "message's structure (status record, recording block, voice data in whole frames), and every month its record "
    "calls complete for its manifest; one line per problem and a summary on stdout, exit status 0 only when everything "
    "holds; the result goes into the operations log",
    runVerify};

}  // namespace plova::cli
