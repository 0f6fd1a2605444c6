// Deleting the WAV and WMA copies of chosen boxes, or of the system-response
// folder, of the open box folder. Voice data and recording information stay.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plova {

namespace wavdel {
constexpr std::u16string_view kCaption = u"ＷＡＶファイル消去";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kNoAudio = u"フォルダにＷＡＶファイルがありません。";
constexpr std::u16string_view kQuestion = u"指定ボックスのＷＡＶファイルを消去します。\nよろしいですか？";
constexpr std::u16string_view kQuestionCaption = u"ＷＡＶファイル消去確認";
constexpr std::u16string_view kNoBoxChosen = u"BOXが選択されていません。";
constexpr std::u16string_view kDone = u"ＷＡＶファイルの消去が正常に完了しました。";
constexpr std::u16string_view kDoneCaption = u"消去完了";
// The bar of the window "消去中" goes to this.
constexpr int kProgressRange = 2;
}  // namespace wavdel

// The boxes (by box number) whose folders hold audio copies, and whether the
// system-response folder does.
struct AudioBoxes {
    std::vector<std::u16string> answering;
    std::vector<std::u16string> extension;
    bool responses = false;
    // What the dialog offers: the listed boxes, plus one for the responses.
    [[nodiscard]] int Count() const {
        return static_cast<int>(answering.size() + extension.size()) + (responses ? 1 : 0);
    }
};

// Only folders inside the box folder count: a "rusuroku", "naisen", "outou"
// or box folder that is a link to somewhere else is left out.
AudioBoxes FindAudioBoxes(const std::filesystem::path& boxFolder);

struct WavDeletion {
    bool responses = false;                 // "システム応答メッセージ" rather than "BOX選択"
    std::vector<std::u16string> answering;  // the marked boxes
    std::vector<std::u16string> extension;
};

enum class [[nodiscard]] WavDeletionResult{Done, NoBoxChosen};

// Deletes the audio copies the request names, answering-machine boxes
// first, calling `step` with the bar position (1 after the answering-machine
// boxes, 2 at the end). Box numbers that are not one plain folder name, and
// folders that lead out of the box folder, are skipped. NoBoxChosen, with
// nothing deleted, when boxes are to be deleted and none is marked.
WavDeletionResult DeleteWavFiles(const std::filesystem::path& boxFolder, const WavDeletion& request,
                                 const std::function<void(int position)>& step);

}  // namespace plova
