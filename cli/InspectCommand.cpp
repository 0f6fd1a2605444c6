// plova-cli inspect FILE: what a message file holds, valid or not. A file
// that holds no recording block where a message has one is no message file:
// nothing of it is printed as if it were.
#include "cli/Command.h"
#include "cli/RecordJson.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova::cli {
namespace {

constexpr const char* kName = "inspect";

bool hasMagicAt(std::string_view head, std::size_t offset) {
    return head.size() >= offset + block::kSize && head.compare(offset, block::kMagic.size(), block::kMagic) == 0;
}

int runInspect(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return Fail(err, kName, "expects exactly one FILE", kUsage);
    const std::filesystem::path file = PathFromUtf8(args[0]);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return Fail(err, kName, "no such file " + args[0]);
    std::string head;
    if (!ReadRange(file, 0, store::kMinMessageFileSize, head)) return Fail(err, kName, "cannot read " + args[0]);

    // As the main unit stores it the block comes first, with no record yet;
    // as this program keeps it, the record and then the block.
    const bool delivered = hasMagicAt(head, 0);
    const bool local = !delivered && hasMagicAt(head, store::kBlockOffset);
    if (!delivered && !local) {
        const std::string why = head.size() < block::kSize
                                    ? "shorter than a recording block"
                                    : "no recording block at its start or behind a status record";
        return Fail(err, kName, args[0] + ": not a message file (" + why + ")");
    }

    nlohmann::json result{{"valid", CFileMng::IsValidMessageFile(file)}};
    const std::string_view bytes(head);
    if (local) result["record"] = RecordJson(FILESTS_INFO::FromBytes(head));
    result["block"] = BlockJson(ParseBlock(bytes.substr(local ? store::kBlockOffset : 0, block::kSize)));
    out << JsonLine(result) << '\n';
    return kOk;
}

}  // namespace

extern const Command inspectCommand;
const Command inspectCommand{"inspect", "FILE",
                             "print a message file's validity, status record (when it has one) and recording block as "
                             "JSON; a file that is not a message file is refused with its reason",
                             runInspect};

}  // namespace plova::cli
