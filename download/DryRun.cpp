#include "download/DryRun.h"

#include "download/DownloadDrivers.h"
#include "download/DownloadMng.h"
#include "link/CFtpMng.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/FileOps.h"

namespace plova::dl {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kAnsweringRemote = u"/rusuroku/";
constexpr std::u16string_view kExtensionRemote = u"/naisen/";
constexpr std::u16string_view kResponseRemote = u"/outou/";

std::string bytesText(std::int64_t bytes) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string filesText(std::size_t files) {
    return std::to_string(files) + (files == 1 ? " file" : " files");
}

}  // namespace

std::int64_t PlannedBox::Bytes() const {
    std::int64_t total = 0;
    for (const listing::Entry& e : files) total += e.size;
    return total;
}

std::int64_t Plan::Bytes() const {
    std::int64_t total = 0;
    for (const PlannedBox& b : boxes) total += b.Bytes();
    return total;
}

std::size_t Plan::Files() const {
    std::size_t total = 0;
    for (const PlannedBox& b : boxes) total += b.files.size();
    return total;
}

bool ListBoxDirectories(CFtpMng& ftp, std::vector<std::u16string>& remotes) {
    std::u16string root, answering, extension;
    if (ftp.ListFolders(root, answering, extension) != ftp::ListResult::Listed) return false;
    for (const std::u16string& name : listing::BoxNames(answering))
        remotes.push_back(std::u16string(kAnsweringRemote) + name);
    for (const std::u16string& name : listing::BoxNames(extension))
        remotes.push_back(std::u16string(kExtensionRemote) + name);
    return true;
}

bool PlanBox(CFtpMng& ftp, std::u16string_view remote, listing::NameForm form,
             const std::function<bool(const listing::Entry&)>& wanted, Plan& plan) {
    std::u16string listing;
    long length = 0;
    const ftp::ListResult r = ftp.ListBoxLong(remote, ftp::kListAll, listing, length);
    if (r != ftp::ListResult::Listed && r != ftp::ListResult::NoSuchDirectory) return false;
    PlannedBox box{std::u16string(remote), {}};
    if (r == ftp::ListResult::Listed)
        for (listing::Entry& e : listing::MessageEntries(listing, form))
            if (wanted(e)) box.files.push_back(std::move(e));
    plan.boxes.push_back(std::move(box));
    return true;
}

bool PlanDownload(CFtpMng& ftp, const fs::path& boxFolder, int kind, const std::vector<std::u16string>& chosen,
                  bool responses, Plan& plan) {
    std::vector<std::u16string> remotes = chosen;
    if (remotes.empty() && !ListBoxDirectories(ftp, remotes)) return false;
    for (const std::u16string& remote : remotes) {
        // "/rusuroku/0001" is kept in "rusuroku/0001" of the box folder.
        const fs::path local = boxFolder / PathOfText(std::u16string_view(remote).substr(1));
        const auto wanted = [&](const listing::Entry& e) {
            if (kind == kKindInfo && !e.name.ends_with(store::kVminf)) return false;
            // A file here whole is kept, as the download keeps it.
            return kind == kKindInfo ? !store::IsCompleteMessage(local / PathOfText(e.name))
                                     : !store::IsCompleteMessage(local / PathOfText(e.name), e.size);
        };
        if (!PlanBox(ftp, remote, listing::NameForm::BoxMessage, wanted, plan)) return false;
    }
    if (kind == kKindFull && responses) {
        const fs::path local = boxFolder / PathOfText(store::kResponseFolder);
        const auto wanted = [&](const listing::Entry& e) {
            return e.name.ends_with(store::kVmdat) && !store::IsCompleteMessage(local / PathOfText(e.name), e.size);
        };
        if (!PlanBox(ftp, kResponseRemote, listing::NameForm::ResponseMessage, wanted, plan)) return false;
    }
    return true;
}

std::vector<std::string> DescribePlan(const Plan& plan) {
    std::vector<std::string> lines;
    for (const PlannedBox& box : plan.boxes) {
        std::string remote = ToUtf8(box.remote);
        if (remote.size() > 1 && remote.back() == '/') remote.pop_back();  // "/outou/" is the folder "/outou"
        lines.push_back(remote + ": " + filesText(box.files.size()) + ", " + bytesText(box.Bytes()));
        for (const listing::Entry& e : box.files) lines.push_back("  " + ToUtf8(e.name) + "  " + bytesText(e.size));
    }
    lines.push_back("total: " + filesText(plan.Files()) + ", " + bytesText(plan.Bytes()) + " in " +
                    std::to_string(plan.boxes.size()) + (plan.boxes.size() == 1 ? " box" : " boxes"));
    return lines;
}

}  // namespace plova::dl
