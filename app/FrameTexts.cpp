#include "app/FrameTexts.h"

#include <algorithm>
#include <filesystem>

#include "lists/ListData.h"
#include "platform/Text.h"

namespace plova {
namespace {

constexpr std::int64_t kCountShownUpTo = 99999;
constexpr std::u16string_view kCountOverflow = u"+++++";
constexpr std::u16string_view kExtensionLabel = u"内線BOX：";
constexpr char16_t kSeparator = static_cast<char16_t>(std::filesystem::path::preferred_separator);

// "%s" of a printf format replaced by the arguments in order.
std::u16string format(std::u16string_view pattern, std::initializer_list<std::u16string> args) {
    std::u16string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u's' && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

bool validSlot(const SettingsRecord& r, int listNumber) {
    return listNumber >= 1 && listNumber <= settings::kListSlots && r.num != 0;
}

std::u16string boxText(const std::u16string& disp, bool breakBeforeExtensions) {
    std::u16string t = u" " + disp;
    std::replace(t.begin(), t.end(), u':', u'：');
    std::replace(t.begin(), t.end(), u'?', u',');
    if (!breakBeforeExtensions) return t;
    const auto p = t.find(kExtensionLabel);
    if (p != std::u16string::npos && p > 1) {
        // The extension group starts a line of its own; the "," that ended
        // the answering-machine group goes.
        t.insert(p, u"\r\n ");
        // A hand-edited definition may put the label right after one character.
        if (p >= 3) t.erase(p - 3, 1);
    }
    return t;
}

}  // namespace

std::u16string StatusCount(std::int64_t count) {
    if (count > kCountShownUpTo) return std::u16string(kCountOverflow);
    return FromUtf8(std::to_string(count));
}

std::u16string StatusBarText(const StatusCounts* a) {
    if (!a) return {};
    if (a->systemResponseList)
        return format(u"件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ %s  ｼｽﾃﾑ応答ﾒｯｾｰｼﾞﾄｰﾀﾙ 300  一覧表ﾄｰﾀﾙ %s",
                      {StatusCount(a->folderTotal), StatusCount(a->listTotal)});
    std::u16string text = format(u"件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ %s  ﾎﾞｯｸｽﾄｰﾀﾙ %s  一覧表ﾄｰﾀﾙ %s  未再生 %s  再生済 %s",
                                 {StatusCount(a->folderTotal), StatusCount(a->boxTotal), StatusCount(a->listTotal),
                                  StatusCount(a->unplayed), StatusCount(a->played)});
    // A narrowed list that shows nothing says why, so that an empty window is
    // not taken for an empty box.
    if (a->listTotal == 0 && a->boxTotal > 0) {
        if (a->displayMode == display::kNotDownloaded)
            text += u"  （未ﾀﾞｳﾝﾛｰﾄﾞ表示中: 音声ﾃﾞｰﾀのないﾒｯｾｰｼﾞはありません）";
        if (a->displayMode == display::kSelect) text += u"  （選択表示中: 条件に合うﾒｯｾｰｼﾞはありません）";
    }
    return text;
}

std::u16string LoginStatusText(const SettingsRecord& r) {
    if (r.loggedIn != 1) return u"未ログイン";
    std::u16string text = u"ログイン中: " + r.connection.address;
    if (!r.connection.user.empty()) text += u" (" + r.connection.user + u")";
    return text;
}

std::u16string BoxFolderStatusText(const SettingsRecord& r) {
    return u"ﾎﾞｯｸｽﾌｫﾙﾀﾞ: " + (r.folderName.empty() ? std::u16string(u"なし") : r.folderName);
}

std::u16string FolderDisplayText(const SettingsRecord& r, int listNumber) {
    if (!validSlot(r, listNumber) || r.folderNames[listNumber - 1].empty()) return {};
    std::u16string t = u" " + WithTrailingSeparator(r.folder) + r.folderNames[listNumber - 1];
    std::replace(t.begin(), t.end(), u':', u'：');
    return t;
}

std::u16string InitialFolderDisplayText(const SettingsRecord& r) {
    if (r.folder.empty() && r.folderName.empty()) return {};
    std::u16string t = u" " + WithTrailingSeparator(r.folder) + r.folderName;
    std::replace(t.begin(), t.end(), u':', u'：');
    if (t.size() > 1 && t.back() == kSeparator) t.pop_back();
    return t;
}

std::u16string BoxDisplayText(const SettingsRecord& r, int listNumber) {
    if (!validSlot(r, listNumber) || r.disp[listNumber - 1].empty()) return {};
    return boxText(r.disp[listNumber - 1], true);
}

std::u16string InitialBoxDisplayText(const SettingsRecord& r, bool restoreCondition) {
    if (!restoreCondition || !validSlot(r, 1) || r.disp[0].empty()) return {};
    return boxText(r.disp[0], false);
}

std::u16string FolderNameFromDisplay(std::u16string_view display) {
    std::u16string t(display);
    std::replace(t.begin(), t.end(), u'：', u':');
    const auto first = t.find_first_not_of(u" \t");
    t = first == std::u16string::npos ? std::u16string() : t.substr(first);
    const auto last = t.rfind(kSeparator);
    return last == std::u16string::npos ? t : t.substr(last + 1);
}

}  // namespace plova
