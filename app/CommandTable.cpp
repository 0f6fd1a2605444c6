#include "app/CommandTable.h"

#include <algorithm>

#include "app/StartupPlan.h"
#include "platform/Ports.h"
#include "store/CFileMng.h"

namespace plova {
namespace {

constexpr std::size_t kMenuCaptionMax = 30;
constexpr std::u16string_view kEllipsis = u"...";

}  // namespace

const std::vector<CommandCaption> kButtonCaptions = {
    {cmd::kFolderDownload, u"ﾌｫﾙﾀﾞのﾀﾞｳﾝﾛｰﾄﾞ"},
    {cmd::kDownloadAll, u"一括ﾀﾞｳﾝﾛｰﾄﾞ"},
    {cmd::kDownloadSelected, u"選択ﾀﾞｳﾝﾛｰﾄﾞ"},
    {cmd::kDownloadVoiceData, u"音声ﾃﾞｰﾀﾀﾞｳﾝﾛｰﾄﾞ"},
    {cmd::kSettingsMenu, u"設定"},
    {cmd::kWindowMenu, u"ウィンドウ"},
    {cmd::kVersion, u"バージョン"},
    {cmd::kFolderChange, u"フォルダ名"},
    {cmd::kOpenBoxes, u"ボックス"},
    {cmd::kSelectDisplay, u"選択表示"},
    {cmd::kShowAll, u"全表示"},
    {cmd::kShowUndownloaded, u"未ﾀﾞｳﾝﾛｰﾄﾞ表示"},
    {cmd::kConvert, u"変換"},
    {cmd::kPlay, u"再生"},
    {cmd::kErase, u"消去"},
    {cmd::kMoveCopy, u"移動・コピー"},
    {cmd::kUpload, u"アップロード"},
    {cmd::kAdd, u"追加"},
};

// Separators group the items by what they act on.
const std::vector<CommandCaption> kSettingsMenuItems = {
    {cmd::kLogin, u"ログイン..."},
    {cmd::kLogout, u"ログアウト"},
    {0, u""},
    {cmd::kStartupFolder, u"起動時のフォルダを指定する..."},
    {0, u""},
    {cmd::kToggleDownConv, u"ダウンロード時に音声ファイルをWAVファイルに変換する"},
    {cmd::kDeleteWavFiles, u"WAVファイルを消去する..."},
    {cmd::kToggleConvDel, u"再生後にWAVファイルを自動消去する"},
    {cmd::kToggleBuiltInPlayer, u"内蔵プレーヤーで再生する"},
    {0, u""},
    {cmd::kDisplayItems, u"録音情報一覧の表示項目の追加と消去..."},
    {cmd::kEditRecording, u"録音情報を編集する..."},
    {0, u""},
    {cmd::kEditBoxNames, u"ボックス名称を編集する..."},
    {cmd::kCreateBoxFolder, u"ボックスフォルダを作成する..."},
    {cmd::kRenameBoxFolder, u"ボックスフォルダ名称を変更する..."},
    {0, u""},
    {cmd::kExportList, u"一覧表をエクスポートする..."},
    {cmd::kImportBoxNames, u"内線ボックス名称をインポートする..."},
    {0, u""},
    {cmd::kBackupSettings, u"自動バックアップの設定をする..."},
    {0, u""},
    {cmd::kOperationLog, u"操作履歴を表示..."},
};

const std::vector<CommandCaption> kWindowMenuItems = {
    {cmd::kArrangeSideBySide, u"並べて表示"},
    {cmd::kArrangeAboveEachOther, u"上下に並べて表示"},
    {cmd::kArrangeLeftRight, u"左右に並べて表示"},
    {cmd::kArrangeCascade, u"重ねて表示"},
};

bool OpenFolderIsBoxFolder(const SettingsRecord& record) {
    if (record.folder.empty() || record.folderName.empty()) return false;
    return CFileMng::IsBoxFolder(OpenBoxFolderPath(record));
}

bool OpenFolderHasBoxes(const SettingsRecord& record) {
    if (record.folder.empty() || record.folderName.empty()) return false;
    const std::filesystem::path open = OpenBoxFolderPath(record);
    for (const auto kind : {store::kAnsweringFolder, store::kExtensionFolder})
        if (!CFileMng::ListSubFolders(open / std::filesystem::path(kind)).empty()) return true;
    return false;
}

bool ConfirmUpload() {
    return ShowPrompt(std::u16string(kUploadQuestion), std::u16string(kUploadQuestionCaption), Icon::Question,
                      Buttons::YesNo) == Answer::Yes;
}

ItemStates ButtonStates(const CommandContext& c) {
    ItemStates s;
    for (int id = cmd::kFirstButton; id <= cmd::kLastButton; ++id) s[id] = ItemState{};
    s[cmd::kDownloadAll].enabled = c.loggedIn && c.openFolderIsBoxFolder;
    s[cmd::kDownloadSelected].enabled = c.loggedIn && c.openFolderIsBoxFolder;
    s[cmd::kDownloadVoiceData].enabled = c.flags.undownloaded && c.loggedIn;
    s[cmd::kOpenBoxes].enabled = c.folderDisplay.size() > 1;
    s[cmd::kSelectDisplay].enabled = c.listActive;
    s[cmd::kShowAll].enabled = c.listActive;
    s[cmd::kShowUndownloaded].enabled = c.flags.undownloaded;
    s[cmd::kConvert].enabled = c.flags.convert;
    s[cmd::kPlay].enabled = c.flags.play;
    s[cmd::kErase].enabled = c.flags.erase;
    s[cmd::kMoveCopy].enabled = c.flags.moveCopy;
    s[cmd::kUpload].enabled = c.listActive && c.loggedIn && c.flags.upload;
    s[cmd::kAdd].enabled = c.listActive && c.flags.add;
    return s;
}

ItemStates SettingsMenuStates(const CommandContext& c) {
    ItemStates s;
    for (const CommandCaption& item : kSettingsMenuItems)
        if (item.id != 0) s[item.id] = ItemState{};
    s[cmd::kLogin].enabled = !c.loggedIn;
    s[cmd::kLogout].enabled = c.loggedIn;
    s[cmd::kToggleDownConv].checked = c.downConv == 1;
    s[cmd::kToggleConvDel].checked = c.convDel == 1;
    s[cmd::kToggleBuiltInPlayer].checked = c.builtInPlayer == 1;
    for (int id : {cmd::kEditBoxNames, cmd::kCreateBoxFolder, cmd::kImportBoxNames})
        s[id].enabled = c.openFolderIsBoxFolder;
    s[cmd::kRenameBoxFolder].enabled = c.openFolderHasBoxes;
    if (c.listActive) {
        s[cmd::kDisplayItems].enabled = !c.activeListIsSystemResponse;
    } else {
        s[cmd::kDisplayItems].enabled = false;
        s[cmd::kEditRecording].enabled = false;
        s[cmd::kExportList].enabled = false;
    }
    s[cmd::kBackupSettings].enabled = !c.rootFolderEmpty;
    return s;
}

ItemStates WindowMenuStates(const CommandContext& c) {
    ItemStates s;
    for (const CommandCaption& item : kWindowMenuItems) s[item.id] = ItemState{};
    s[cmd::kArrangeSideBySide].enabled = c.listCount > 0;
    return s;
}

std::vector<WindowMenuListItem> WindowMenuListItems(const std::array<std::u16string, 4>& disp, int listCount,
                                                    int activeListNumber) {
    std::vector<WindowMenuListItem> items;
    if (activeListNumber < 1) return items;
    const int count = std::clamp(listCount, 0, 4);
    for (int n = 1; n <= count; ++n) {
        std::u16string caption = disp[n - 1];
        std::replace(caption.begin(), caption.end(), u'?', u',');
        if (caption.size() > kMenuCaptionMax) caption = FitField(caption, kMenuCaptionMax) + std::u16string(kEllipsis);
        items.push_back({cmd::kActivateListBase + n, caption, n == activeListNumber});
    }
    return items;
}

std::vector<RowMenuItem> RowMenuItems(const CommandContext& context) {
    const ItemStates buttons = ButtonStates(context);
    const ItemStates menu = SettingsMenuStates(context);
    const auto captionOf = [](const std::vector<CommandCaption>& table, int id) {
        const auto it = std::find_if(table.begin(), table.end(), [id](const CommandCaption& c) { return c.id == id; });
        return it != table.end() ? it->caption : std::u16string_view();
    };
    const auto enabled = [](const ItemStates& states, int id) {
        const auto it = states.find(id);
        return it == states.end() || it->second.enabled;
    };
    std::vector<RowMenuItem> items;
    for (const int id : {cmd::kPlay, cmd::kConvert, cmd::kDownloadVoiceData, cmd::kMoveCopy, cmd::kErase})
        items.push_back({id, captionOf(kButtonCaptions, id), enabled(buttons, id)});
    items.push_back(
        {cmd::kEditRecording, captionOf(kSettingsMenuItems, cmd::kEditRecording), enabled(menu, cmd::kEditRecording)});
    if (context.activeListIsSystemResponse)
        for (const int id : {cmd::kAdd, cmd::kUpload})
            items.push_back({id, captionOf(kButtonCaptions, id), enabled(buttons, id)});
    items.push_back({0, {}, false});
    items.push_back({cmd::kOpenMessageFolder, kOpenFolderCaption, context.listActive});
    return items;
}

bool ToggleConversionSetting(SettingsRecord& r, int id) {
    int* flag = id == cmd::kToggleDownConv        ? &r.downConv
                : id == cmd::kToggleConvDel       ? &r.convDel
                : id == cmd::kToggleBuiltInPlayer ? &r.builtInPlayer
                                                  : nullptr;
    if (!flag) return false;
    *flag = *flag == 1 ? 0 : 1;
    return true;
}

}  // namespace plova
