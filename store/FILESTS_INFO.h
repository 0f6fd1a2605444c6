// The 990-byte status record this program keeps in front of every local
// message file, and the element of every list window's record array.
//
// On disk the fields follow each other without gaps, texts in UTF-16LE,
// zero-terminated inside their field. In memory the texts are plain
// u16strings; ToBytes() cuts each to its width minus one so a terminator
// always fits, and FromBytes() reads at most the width of a field even when
// the terminator is missing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace plova {

namespace filests {
// Widths of the text fields in 16-bit characters, terminator included.
constexpr std::size_t kBoxNumberChars = 5;
constexpr std::size_t kBoxNameChars = 11;
constexpr std::size_t kPartyNumberChars = 33;
constexpr std::size_t kPartyNameChars = 33;
constexpr std::size_t kDateChars = 20;
constexpr std::size_t kRecordingTimeChars = 9;
constexpr std::size_t kTitleChars = 41;
constexpr std::size_t kMemoChars = 81;
constexpr std::size_t kFilePathChars = 260;

// Byte offsets.
constexpr std::size_t kFlagOffset = 0;
constexpr std::size_t kPlayedOffset = 1;
constexpr std::size_t kDownloadStateOffset = 2;
constexpr std::size_t kProtectedOffset = 3;
constexpr std::size_t kBoxNumberOffset = 4;
constexpr std::size_t kBoxNameOffset = kBoxNumberOffset + 2 * kBoxNumberChars;
constexpr std::size_t kPartyNumberOffset = kBoxNameOffset + 2 * kBoxNameChars;
constexpr std::size_t kPartyNameOffset = kPartyNumberOffset + 2 * kPartyNumberChars;
constexpr std::size_t kDateOffset = kPartyNameOffset + 2 * kPartyNameChars;
constexpr std::size_t kRecordingTimeOffset = kDateOffset + 2 * kDateChars;
constexpr std::size_t kTitleOffset = kRecordingTimeOffset + 2 * kRecordingTimeChars;
constexpr std::size_t kMemoOffset = kTitleOffset + 2 * kTitleChars;
constexpr std::size_t kFilePathOffset = kMemoOffset + 2 * kMemoChars;
constexpr std::size_t kSize = kFilePathOffset + 2 * kFilePathChars;

// The layout the main unit's files and older copies of this program share.
static_assert(kBoxNumberOffset == 4);
static_assert(kBoxNameOffset == 14);
static_assert(kPartyNumberOffset == 36);
static_assert(kPartyNameOffset == 102);
static_assert(kDateOffset == 168);
static_assert(kRecordingTimeOffset == 208);
static_assert(kTitleOffset == 226);
static_assert(kMemoOffset == 308);
static_assert(kFilePathOffset == 470);
static_assert(kSize == 990);
}  // namespace filests

// Values of the download-state byte.
enum DownloadState : std::uint8_t {
    kInfoOnly = 0,          // recording information only
    kPlayedOnMainUnit = 1,  // information and voice, played on the main unit
    kUnplayedOnMainUnit = 2,
    kDeletedOnMainUnit = 3,  // deleted on the main unit after download, or made on this PC
};

// "情報のみ" … and the tooltip texts of the list's download-state column;
// empty for a value outside 0..3.
std::u16string DownloadStateText(std::uint8_t state);
std::u16string DownloadStateLongText(std::uint8_t state);

using StatusRecordBytes = std::array<std::uint8_t, filests::kSize>;

struct FILESTS_INFO {
    std::uint8_t flag = 0;           // the list's flag column
    std::uint8_t played = 0;         // 1 = played on this PC
    std::uint8_t downloadState = 0;  // DownloadState
    std::uint8_t isProtected = 0;    // 1 = protected on the main unit
    std::u16string boxNumber;        // for a system response message: its number
    std::u16string boxName;
    std::u16string partyNumber;
    std::u16string partyName;
    std::u16string date;           // "%04d/%02d/%02d %02d:%02d"
    std::u16string recordingTime;  // "%02d:%02d:%02d"
    std::u16string title;
    std::u16string memo;
    // Full path of the file, filled in when a folder is loaded. In memory it is
    // the whole path; on disk it is cut to the field like every other text.
    std::u16string filePath;

    [[nodiscard]] std::filesystem::path Path() const;

    // `bytes` shorter than 990 are read as zero-padded.
    static FILESTS_INFO FromBytes(std::string_view bytes);
    [[nodiscard]] StatusRecordBytes ToBytes() const;

    // The record as it reads back after a round trip through the file: every
    // text cut to its width minus one.
    [[nodiscard]] FILESTS_INFO Fitted() const;

    bool operator==(const FILESTS_INFO&) const = default;
};

// `text` cut to at most `maxChars` UTF-16 units, never splitting a surrogate pair.
std::u16string CutText(std::u16string_view text, std::size_t maxChars);

}  // namespace plova
