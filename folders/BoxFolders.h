// The boxes of the open box folder on the PC side: their names ("inf.ini"
// NAME), new boxes made by the user, and new folder names for boxes. The
// dialogs of the settings menu only show these rules and their messages.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ListSlots.h"

namespace plova {

namespace boxes {
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kBadInput = u"入力値エラーです。";
constexpr std::u16string_view kDuplicate = u"フォルダ名が重複しています。";
constexpr std::u16string_view kNoBoxes = u"フォルダにボックス情報がありません。\n確認ください。";
constexpr std::u16string_view kRegisterQuestion = u"登録します。よろしいですか？";
constexpr std::u16string_view kRegisterCaption = u"登録の確認";

constexpr std::u16string_view kNamesDone = u"ＢＯＸ名称の登録が完了しました。";
constexpr std::u16string_view kNamesDoneCaption = u"登録完了";
constexpr std::u16string_view kMadeDone = u"ボックスフォルダが作成完了しました。";
constexpr std::u16string_view kMadeDoneCaption = u"作成完了";
constexpr std::u16string_view kRenamedDone = u"ボックスフォルダ名称の変更が完了しました。";
constexpr std::u16string_view kRenamedDoneCaption = u"変更完了";
// A rename the file system refused: the box keeps its old name.
constexpr std::u16string_view kRenameFailed = u"ボックスフォルダ名称を変更できませんでした。";

constexpr std::size_t kNameMaxBytes = 10;        // a box name, in CP932 bytes
constexpr std::size_t kFolderNameMaxBytes = 14;  // a box folder name, in CP932 bytes
constexpr int kNameEditChars = 10;
constexpr int kFolderNameEditChars = 14;
}  // namespace boxes

// One box of the box lists: its folder, the folder's name, the text the user
// edits (the box name, or the new folder name) and whether the user edited it.
struct BoxRow {
    std::filesystem::path folder;
    std::u16string folderName;
    std::u16string text;
    bool changed = false;
};

struct BoxLists {
    std::vector<BoxRow> answering;  // under "rusuroku"
    std::vector<BoxRow> extension;  // under "naisen"
    [[nodiscard]] bool Empty() const { return answering.empty() && extension.empty(); }
    [[nodiscard]] std::size_t Size() const { return answering.size() + extension.size(); }
};

// What the text of a row starts with.
enum class BoxText { Name, FolderName };

// The box folders under "rusuroku" and "naisen" of `boxFolder`, in the
// store's order, each with its box name or its folder name as text.
BoxLists ReadBoxLists(const std::filesystem::path& boxFolder, BoxText text);

// A box name: at most 10 CP932 bytes and no ",". Empty is allowed. A name
// CP932 cannot hold, or with a control character, is refused too: it would
// come back from "inf.ini" as something else. So is one Windows cannot hold
// as a file name.
bool IsValidBoxName(std::u16string_view name);

// A box folder name: 1 to 14 CP932 bytes, none of \ / : * ? " < > |, and a
// plain name of one folder ("." and ".." and control characters refused).
bool IsValidBoxFolderName(std::u16string_view name);

enum class [[nodiscard]] BoxCheck{Ok, BadInput, Duplicate};

// Every row of both lists, answering-machine boxes first. A row the user did
// not edit keeps a name stored before the Windows rule ("a?b"): it need only
// be one "inf.ini" holds.
BoxCheck CheckBoxNames(const BoxLists& lists);

// Writes every row's name to its box's "inf.ini", calling `step` with the
// number of rows done after each. The number of names that could not be
// written.
[[nodiscard]] int WriteBoxNames(const BoxLists& lists, const std::function<void(int done)>& step);

// A new box `name` under "rusuroku" (answering) or "naisen" of `boxFolder`,
// with MAKE 1 and no NAME in its "inf.ini". Nothing is made unless Ok.
BoxCheck MakeBoxFolder(const std::filesystem::path& boxFolder, bool answering, std::u16string_view name);

// The rows whose folder gets a new name: edited, with a text other than
// the folder's name.
bool IsRenamed(const BoxRow& row);

// The renamed rows in list order, answering-machine boxes first: each new
// name valid, its folder not there yet and not taken by an earlier row.
BoxCheck CheckBoxFolderRenames(const BoxLists& lists);

struct BoxFolderRenames {
    std::vector<std::filesystem::path> kept;  // folders that kept their old name
    std::vector<BoxRename> renamed;           // and those that took the new one
};
// Renames every renamed row's folder.
BoxFolderRenames RenameBoxFolders(const BoxLists& lists);

// Writes into a box go by way of hidden temporary files that a killed process
// can leave behind; those older than this are taken away at start-up.
constexpr std::chrono::hours kStaleTempAge{1};

// Removes such files from every box and from "outou" of `boxFolder`; the
// number removed.
int SweepStaleTempFiles(const std::filesystem::path& boxFolder);

// The same for the per-user scratch folder of the imports' intermediate files.
int SweepStaleScratchFiles();

}  // namespace plova
