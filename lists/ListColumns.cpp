#include "lists/ListColumns.h"

#include <cstdio>
#include <filesystem>

#include "platform/Text.h"

namespace plova {
namespace {

struct KnownColumn {
    std::u16string_view name;
    CellKind kind;
    int width;
    ColumnAlign align;
};

// A later row wins over an earlier one when a name contains both.
constexpr KnownColumn kKnown[] = {
    {u"ﾌﾗｸﾞ", CellKind::Flag, 70, ColumnAlign::Centre},
    {u"再生/未再生", CellKind::Played, 150, ColumnAlign::Centre},
    {u"取込", CellKind::Download, 70, ColumnAlign::Centre},
    {u"保護/非保護", CellKind::Protected, 150, ColumnAlign::Centre},
    {u"BOX番号", CellKind::BoxNumber, 70, ColumnAlign::Centre},
    {u"相手番号", CellKind::PartyNumber, 60, ColumnAlign::Left},
    {u"相手名称", CellKind::PartyName, 60, ColumnAlign::Left},
    {u"日時", CellKind::Date, 60, ColumnAlign::Centre},
    {u"録音時間", CellKind::RecordingTime, 60, ColumnAlign::Centre},
    {u"ファイル名", CellKind::FileName, 60, ColumnAlign::Left},
    {u"BOX名称", CellKind::BoxName, 60, ColumnAlign::Left},
    {u"タイトル", CellKind::Title, 60, ColumnAlign::Left},
    {u"メモ", CellKind::Memo, 60, ColumnAlign::Left},
};

constexpr std::size_t kTooltipMax = 80;

std::u16string fileNameCell(const std::u16string& path, std::u16string_view root) {
    std::u16string_view t = path;
    if (!root.empty() && t.starts_with(root)) t.remove_prefix(root.size());
    while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
    return std::u16string(t);
}

std::u16string downloadCell(std::uint8_t state) {
    // The digit is not the state: information only shows 2, not played 0.
    switch (state) {
    case kInfoOnly: return u"   2   ";
    case kPlayedOnMainUnit: return u"   1   ";
    case kUnplayedOnMainUnit: return u"   0   ";
    default: return u"   3   ";
    }
}

}  // namespace

ColumnSpec BoxColumnFor(std::u16string_view name) {
    ColumnSpec spec{std::u16string(name), CellKind::None, 0, ColumnAlign::Centre};
    for (const KnownColumn& k : kKnown)
        if (name.find(k.name) != std::u16string_view::npos) {
            spec.kind = k.kind;
            spec.width = k.width;
            spec.align = k.align;
        }
    return spec;
}

std::vector<ColumnSpec> BoxListColumns(std::span<const std::u16string> names) {
    std::vector<ColumnSpec> out;
    for (const std::u16string& n : names) {
        if (n.empty()) break;
        out.push_back(BoxColumnFor(n));
    }
    return out;
}

std::vector<ColumnSpec> ResponseListColumns() {
    const int w = listcol::kResponseColumnWidth;
    return {
        {u"ﾒｯｾｰｼﾞ番号", CellKind::ResponseNumber, w, ColumnAlign::Centre},
        {u"ﾌﾗｸﾞ", CellKind::Flag, w, ColumnAlign::Centre},
        {u"アップロード", CellKind::Upload, w, ColumnAlign::Centre},
        {u"録音時間", CellKind::RecordingTime, w, ColumnAlign::Centre},
        {u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ名称", CellKind::ResponseName, w, ColumnAlign::Left},
        {u"ファイル名", CellKind::FileName, w, ColumnAlign::Left},
    };
}

std::u16string CellText(const FILESTS_INFO& r, CellKind kind, std::u16string_view root, bool present, int number) {
    switch (kind) {
    case CellKind::None: return {};
    case CellKind::Flag: return std::u16string(present && r.flag != 0 ? listcol::kFlagOn : listcol::kFlagOff);
    case CellKind::Played: return r.played == 1 ? u"再生済" : u"未再生";
    case CellKind::Download: return downloadCell(r.downloadState);
    case CellKind::Protected: return r.isProtected == 1 ? u"保護" : u"非保護";
    case CellKind::BoxNumber: return r.boxNumber;
    case CellKind::PartyNumber: return r.partyNumber;
    case CellKind::PartyName: return r.partyName;
    case CellKind::Date: return r.date;
    case CellKind::RecordingTime: return present ? r.recordingTime : std::u16string(listcol::kNoRecordingTime);
    case CellKind::FileName: return present ? fileNameCell(r.filePath, root) : std::u16string();
    case CellKind::BoxName: return r.boxName;
    case CellKind::Title: return r.title;
    case CellKind::Memo: return r.memo;
    case CellKind::ResponseNumber: {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%03d", number);
        return FromUtf8(digits);
    }
    case CellKind::Upload: return present && r.played == 1 ? u"済み" : u"";
    case CellKind::ResponseName: return present ? r.partyName : std::u16string();
    }
    return {};
}

int ResponseNumberOf(const FILESTS_INFO& record) {
    constexpr std::size_t kDigits = 3;
    if (record.boxNumber.size() < kDigits) return 0;
    int number = 0;
    for (std::size_t i = 0; i < kDigits; ++i) {
        const char16_t c = record.boxNumber[i];
        if (c < u'0' || c > u'9') return 0;
        number = number * 10 + (c - u'0');
    }
    return number >= 1 && number <= listcol::kResponseMessages ? number : 0;
}

int DownloadDigitOf(std::u16string_view cell) {
    std::size_t i = 0;
    while (i < cell.size() && cell[i] == u' ') ++i;
    int value = -1;
    for (; i < cell.size() && cell[i] >= u'0' && cell[i] <= u'9'; ++i)
        value = (value < 0 ? 0 : value) * 10 + (cell[i] - u'0');
    return value;
}

int DownloadStateOfDigit(int digit) {
    switch (digit) {
    case 2: return kInfoOnly;
    case 1: return kPlayedOnMainUnit;
    case 0: return kUnplayedOnMainUnit;
    default: return digit >= 3 ? kDeletedOnMainUnit : -1;
    }
}

std::u16string DownloadTooltip(int state) {
    if (state < 0 || state > kDeletedOnMainUnit) return {};
    return CutText(DownloadStateLongText(static_cast<std::uint8_t>(state)), kTooltipMax);
}

}  // namespace plova
