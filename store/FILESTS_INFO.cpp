#include "store/FILESTS_INFO.h"

#include <algorithm>

#include "platform/Text.h"

namespace plova {
namespace {

using namespace filests;

std::u16string readText(const std::uint8_t* bytes, std::size_t offset, std::size_t chars) {
    std::u16string out;
    for (std::size_t i = 0; i < chars; ++i) {
        const char16_t c = static_cast<char16_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
        if (c == 0) break;
        out += c;
    }
    return out;
}

void writeText(StatusRecordBytes& out, std::size_t offset, std::size_t chars, std::u16string_view text) {
    const std::u16string cut = CutText(text, chars - 1);
    for (std::size_t i = 0; i < cut.size(); ++i) {
        out[offset + 2 * i] = static_cast<std::uint8_t>(cut[i] & 0xFF);
        out[offset + 2 * i + 1] = static_cast<std::uint8_t>(cut[i] >> 8);
    }
}

}  // namespace

std::u16string CutText(std::u16string_view text, std::size_t maxChars) {
    if (text.size() <= maxChars) return std::u16string(text);
    std::size_t n = maxChars;
    // Half a surrogate pair is not a character: leave both halves out.
    if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return std::u16string(text.substr(0, n));
}

FILESTS_INFO FILESTS_INFO::FromBytes(std::string_view bytes) {
    StatusRecordBytes b{};
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::min(bytes.size(), b.size()), b.begin());
    FILESTS_INFO r;
    r.flag = b[kFlagOffset];
    r.played = b[kPlayedOffset];
    r.downloadState = b[kDownloadStateOffset];
    r.isProtected = b[kProtectedOffset];
    r.boxNumber = readText(b.data(), kBoxNumberOffset, kBoxNumberChars);
    r.boxName = readText(b.data(), kBoxNameOffset, kBoxNameChars);
    r.partyNumber = readText(b.data(), kPartyNumberOffset, kPartyNumberChars);
    r.partyName = readText(b.data(), kPartyNameOffset, kPartyNameChars);
    r.date = readText(b.data(), kDateOffset, kDateChars);
    r.recordingTime = readText(b.data(), kRecordingTimeOffset, kRecordingTimeChars);
    r.title = readText(b.data(), kTitleOffset, kTitleChars);
    r.memo = readText(b.data(), kMemoOffset, kMemoChars);
    r.filePath = readText(b.data(), kFilePathOffset, kFilePathChars);
    return r;
}

StatusRecordBytes FILESTS_INFO::ToBytes() const {
    StatusRecordBytes b{};
    b[kFlagOffset] = flag;
    b[kPlayedOffset] = played;
    b[kDownloadStateOffset] = downloadState;
    b[kProtectedOffset] = isProtected;
    writeText(b, kBoxNumberOffset, kBoxNumberChars, boxNumber);
    writeText(b, kBoxNameOffset, kBoxNameChars, boxName);
    writeText(b, kPartyNumberOffset, kPartyNumberChars, partyNumber);
    writeText(b, kPartyNameOffset, kPartyNameChars, partyName);
    writeText(b, kDateOffset, kDateChars, date);
    writeText(b, kRecordingTimeOffset, kRecordingTimeChars, recordingTime);
    writeText(b, kTitleOffset, kTitleChars, title);
    writeText(b, kMemoOffset, kMemoChars, memo);
    writeText(b, kFilePathOffset, kFilePathChars, filePath);
    return b;
}

std::filesystem::path FILESTS_INFO::Path() const {
    // Not the library's own conversion: it throws on a lone surrogate, and on
    // Windows it would read the text through the ANSI code page.
    return PathOfText(filePath);
}

FILESTS_INFO FILESTS_INFO::Fitted() const {
    const StatusRecordBytes b = ToBytes();
    return FromBytes(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

std::u16string DownloadStateText(std::uint8_t state) {
    switch (state) {
    case kInfoOnly: return u"情報のみ";
    case kPlayedOnMainUnit: return u"情報+音声(再生済)";
    case kUnplayedOnMainUnit: return u"情報+音声(未再生)";
    case kDeletedOnMainUnit: return u"主装置ﾃﾞｰﾀ消去済";
    default: return {};
    }
}

std::u16string DownloadStateLongText(std::uint8_t state) {
    switch (state) {
    case kInfoOnly: return u"録音情報のみを取込(ダウンロード)済";
    case kPlayedOnMainUnit: return u"録音情報+音声データ（主装置側で再生済)を取込(ダウンロード)済";
    case kUnplayedOnMainUnit: return u"録音情報+音声データ（主装置側で未再生)を取込(ダウンロード)済";
    case kDeletedOnMainUnit: return u"録音情報+音声データを取込(ダウンロード)後に主装置側のデータを消去済";
    default: return {};
    }
}

}  // namespace plova
