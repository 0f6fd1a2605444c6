// plova-cli inspect FILE: what a message file holds, valid or not.
#include "cli/Command.h"
#include "cli/RecordJson.h"
#include "platform/File.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

int runInspect(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return fail(err, "inspect", "expects exactly one FILE", kUsage);
    const std::filesystem::path file(args[0]);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return fail(err, "inspect", "no such file " + args[0]);
    std::string head;
    if (!readRange(file, 0, store::kMinMessageFileSize, head)) return fail(err, "inspect", "cannot read " + args[0]);

    const std::string_view magic = block::kMagic;
    const bool deliveredForm = head.size() >= block::kSize && head.compare(0, magic.size(), magic) == 0;

    CFileMng fm;
    nlohmann::json result{{"valid", fm.IsValidMessageFile(file)}, {"record", nullptr}, {"block", nullptr}};
    if (deliveredForm) {
        // As the main unit stores it: the block comes first and there is no record yet.
        result["block"] = blockJson(parseBlock(std::string_view(head).substr(0, block::kSize)));
    } else {
        if (head.size() >= filests::kSize) result["record"] = recordJson(FILESTS_INFO::fromBytes(head));
        if (head.size() >= store::kMinMessageFileSize)
            result["block"] = blockJson(parseBlock(std::string_view(head).substr(store::kBlockOffset)));
    }
    out << jsonLine(result) << '\n';
    return kOk;
}

}  // namespace

extern const Command inspectCommand;
const Command inspectCommand{"inspect", "FILE",
                             "print a message file's validity, status record and recording block as JSON", runInspect};

}  // namespace plova::cli
