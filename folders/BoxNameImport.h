// The extension-box-name import ("内線ボックス名称をインポートする..."): an
// extension directory in CSV (CP932) names the extension boxes of the open
// box folder. The first two lines are headings. Every later line is read up
// to and including its "\n", at most 256 bytes at a time, and only its first
// 32 bytes count: the second field is the box number (a folder under
// "naisen") and the third the name. The box number ends at a ","; the name
// at a "," or at the end of its line, when that end lies within the 32 bytes
// (a spreadsheet writes no "," after the last field).
//
// Before a box's name changes its "inf.ini" is copied to "inf.tmp" beside
// it; a cancelled import puts every box's "inf.ini" back from that copy, a
// completed one removes the copies.
//
// The file comes from anywhere: a line never writes outside a box folder of
// "naisen" (a box number that is not a plain folder name, or names a link,
// changes nothing), and a name holding control characters is not written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace plova {

namespace boximport {
constexpr std::size_t kLineBytes = 256;      // one read
constexpr std::size_t kParsedBytes = 32;     // what of it is decoded and parsed
constexpr int kHeadingLines = 2;             // skipped
constexpr std::uint64_t kBytesPerStep = 25;  // the progress range is the file length over this
constexpr std::u16string_view kBackupName = u"inf.tmp";

constexpr std::u16string_view kImportError = u"インポートエラー";
constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kImportDone = u"内線電話帳のインポートが正常に完了しました。";
constexpr std::u16string_view kImportDoneCaption = u"インポート完了";
// A file that named no box: it is not what the user meant to import.
constexpr std::u16string_view kNothingNamed =
    u"内線ボックス名称をインポートできませんでした。\n(ファイルに内線ボックスの番号と名称がありません)。";
}  // namespace boximport

// The box number and name of one line.
struct ImportEntry {
    std::u16string box;
    std::u16string name;
};

// The entry of one line's bytes (as read, "\n" included); nothing for a line
// without a box number ended by "," and a name ended by "," or by the line's
// end. Bytes after a zero byte are not part of the line, and a line cut
// there has no end.
std::optional<ImportEntry> ParseImportLine(std::string_view lineBytes);

// Reads a file the way the import does: lines of at most kLineBytes bytes.
class ImportLineReader {
public:
    explicit ImportLineReader(std::function<std::size_t(char* out, std::size_t max)> read) : read_(std::move(read)) {}
    // The next line, "\n" included; nothing at the end of the file (or when
    // the line holds nothing before a zero byte, which ends the reading too).
    std::optional<std::string> Next();

private:
    bool fill();
    std::function<std::size_t(char*, std::size_t)> read_;
    std::string buffer_;
    std::size_t at_ = 0;
    bool end_ = false;
};

enum class [[nodiscard]] ImportResult{
    Completed,     // at least one box was named
    NothingNamed,  // read to the end, and no line named a box of the folder
    Cancelled,
    CannotOpen,
};

struct ImportHooks {
    std::function<void(int range)> range;  // once the file is open
    std::function<void()> step;            // after each line after the headings
};

// Imports `csvFile` into the boxes under `naisenFolder` (the open box
// folder's "naisen"). Pumps one pending message per line and stops at the
// cancel flag, restoring every box's name then.
ImportResult ImportBoxNames(const std::filesystem::path& csvFile, const std::filesystem::path& naisenFolder,
                            const ImportHooks& hooks = {});

}  // namespace plova
