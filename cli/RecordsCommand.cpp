// plova-cli records FOLDER: the status records of a box folder's messages, one JSON object a line.
#include "cli/Command.h"
#include "cli/RecordJson.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

int runRecords(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return fail(err, "records", "expects exactly one FOLDER", kUsage);
    const std::filesystem::path folder(args[0]);
    std::vector<FILESTS_INFO> records;
    CFileMng fm;
    if (!fm.LoadFolderRecords(folder, records)) return fail(err, "records", "cannot read folder " + args[0]);
    for (const FILESTS_INFO& r : records) out << jsonLine(recordJson(r)) << '\n';
    return kOk;
}

}  // namespace

extern const Command recordsCommand;
const Command recordsCommand{"records", "FOLDER",
                             "print the status record of every valid message of a box folder, one JSON object a line",
                             runRecords};

}  // namespace plova::cli
