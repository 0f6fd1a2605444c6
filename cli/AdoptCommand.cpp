// plova-cli adopt FILE…: gives files copied from the main unit their status
// record, as a download would.
#include <algorithm>

#include "cli/Command.h"
#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

// Why a file cannot be adopted, or empty when it can.
std::string refusal(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return "no such file";
    const auto size = fs::file_size(file, ec);
    if (ec) return "cannot read the file";
    // A local copy starts with its record, so only a delivered file starts with the magic.
    std::string head;
    if (!ReadRange(file, 0, block::kMagicSize, head)) return "cannot read the file";
    if (size >= block::kSize && head == block::kMagic) return {};
    if (CFileMng::HasStatusRecord(file)) return "already has a status record";
    if (size < block::kSize) return "shorter than a recording-information block (256 bytes)";
    return "does not start with a recording-information block";
}

int runAdopt(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return Fail(err, "adopt", "expects at least one FILE", kUsage);
    // A ".vminf" before its ".vmdat", as a download fetches them, so the
    // ".vmdat" takes over the ".vminf" record.
    std::vector<fs::path> files;
    for (const std::string& a : args) files.push_back(PathFromUtf8(a));
    std::stable_partition(files.begin(), files.end(), [](const fs::path& p) { return p.extension() == ".vminf"; });

    int code = kOk;
    oplog::Operation log("adopt", store::BoxFolderOfMessage(fs::absolute(files.front())));
    for (const fs::path& file : files) {
        if (const std::string why = refusal(file); !why.empty()) {
            code = Fail(err, "adopt", Utf8Of(file) + ": " + why + "; left unchanged");
            log.Add(file, oplog::Outcome::Skipped, why);
            continue;
        }
        const store::RecordWrite result = CFileMng::IsResponseMessagePath(file) ? CFileMng::MakeResponseRecord(file)
                                                                                : CFileMng::MakeStatusRecord(file);
        if (result != store::RecordWrite::Written) {
            code = Fail(err, "adopt", Utf8Of(file) + ": cannot rewrite the file; left unchanged");
            log.Add(file, oplog::Outcome::Failed, "cannot rewrite the file");
            continue;
        }
        log.Add(file, oplog::Outcome::Done, "status record given");
        out << PrintablePath(file) << '\n';
    }
    return code;
}

}  // namespace

extern const Command adoptCommand;
const Command adoptCommand{"adopt", "FILE…",
                           "give files stored as the main unit stores them their status record, as a download does",
                           runAdopt};

}  // namespace plova::cli
