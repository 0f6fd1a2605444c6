// The columns of a list window and the text of every cell. Box lists show the
// columns the settings name ("COLUM1".."COLUM13"); the system response
// message list has six fixed ones.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/FILESTS_INFO.h"

namespace plova {

enum class CellKind {
    None,  // a column name this program does not know: empty cells
    Flag,
    Played,
    Download,
    Protected,
    BoxNumber,
    PartyNumber,
    PartyName,
    Date,
    RecordingTime,
    FileName,
    BoxName,
    Title,
    Memo,
    // The system response message list.
    ResponseNumber,
    Upload,
    ResponseName,
};

enum class ColumnAlign { Left, Centre };

struct ColumnSpec {
    std::u16string name;
    CellKind kind = CellKind::None;
    int width = 0;  // until the first build fits the widths
    ColumnAlign align = ColumnAlign::Centre;
};

namespace listcol {
constexpr std::u16string_view kFlag = u"ﾌﾗｸﾞ";
constexpr std::u16string_view kDownload = u"取込";
constexpr std::u16string_view kBoxNumber = u"BOX番号";
constexpr std::u16string_view kDate = u"日時";
constexpr std::u16string_view kFlagOn = u" 1 ";
constexpr std::u16string_view kFlagOff = u" 0 ";
constexpr std::u16string_view kNoRecordingTime = u"--:--:--";
constexpr int kResponseColumnWidth = 70;
constexpr int kResponseMessages = 300;
// What "リセット" of the display items restores.
constexpr std::array<std::u16string_view, 10> kDefaultColumns = {
    u"ﾌﾗｸﾞ",     u"取込",     u"再生/未再生", u"保護/非保護", u"BOX番号",
    u"相手番号", u"相手名称", u"日時",        u"録音時間",    u"ファイル名"};
}  // namespace listcol

// The column a box list gives to a column name: the last known name it
// contains decides; an unknown name gets width 0, centred, empty cells.
ColumnSpec BoxColumnFor(std::u16string_view name);

// The configured columns, up to the first empty name.
std::vector<ColumnSpec> BoxListColumns(std::span<const std::u16string> names);

std::vector<ColumnSpec> ResponseListColumns();

// The text of a cell of a record. `root` is the root folder with its
// trailing separator (the file-name column starts after it); `present` is
// false for an empty row of the response list, `number` its number (1..300).
std::u16string CellText(const FILESTS_INFO& record, CellKind kind, std::u16string_view root, bool present = true,
                        int number = 0);

// The number (1..300) a record of the response list stands for: the three
// digits its box number starts with, so a row keeps its number whatever
// display or order the list shows. 0 when there are none.
int ResponseNumberOf(const FILESTS_INFO& record);

// The download-state digit read back from a "取込" cell ("   1   " → 1), as
// the picture and the tooltip read it; -1 when there is none.
int DownloadDigitOf(std::u16string_view cell);

// The tooltip of a "取込" cell (at most 80 characters); empty above 3.
std::u16string DownloadTooltip(int digitState);

// The download state a "取込" digit stands for (the digit is not the state).
int DownloadStateOfDigit(int digit);

}  // namespace plova
