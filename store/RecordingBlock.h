// The main unit's 256-byte recording-information block: the start of every
// ".vminf" and ".vmdat" file it serves, kept behind our status record in the
// local copies. Integers are big-endian, texts are CP932 bytes padded with
// zeros. Bytes this program does not use are kept as received.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Ports.h"

namespace plova {

namespace block {
constexpr std::size_t kSize = 256;

constexpr std::size_t kMagicOffset = 0;
constexpr std::size_t kMagicSize = 16;
constexpr std::string_view kMagic = "Kw-TX Voice-data";
static_assert(kMagic.size() == kMagicSize);

constexpr std::size_t kDateOffset = 32;
constexpr std::size_t kDateSize = 32;
constexpr std::size_t kPartyNameOffset = 64;
constexpr std::size_t kPartyNameSize = 32;
constexpr std::size_t kPartyNumberOffset = 96;
constexpr std::size_t kPartyNumberSize = 32;
constexpr std::size_t kFlagsOffset = 129;
constexpr std::uint8_t kFlagPlayed = 0x01;
constexpr std::uint8_t kFlagProtected = 0x02;
constexpr std::size_t kTenthsOffset = 130;     // u32, recording time in tenths of a second
constexpr std::size_t kBoxNumberOffset = 134;  // u16
constexpr std::size_t kBoxDigitsOffset = 138;  // box number as decimal digits
constexpr std::size_t kBoxDigitsSize = 4;

// Where the date writer puts each part inside the 32-byte date field.
constexpr std::size_t kDateWeekdayAt = 0;  // "Mon,"
constexpr std::size_t kDateDayAt = 5;      // "%d"
constexpr std::size_t kDateMonthAt = 8;    // "Dec"
constexpr std::size_t kDateYearAt = 12;    // "2026"
constexpr std::size_t kDateTimeAt = 17;    // "hh:mm"
constexpr std::size_t kDateZoneAt = 23;    // "+0900"
constexpr std::string_view kDateZone = "+0900";
}  // namespace block

using BlockBytes = std::array<std::uint8_t, block::kSize>;

struct RecordingBlock {
    bool hasMagic = false;     // parse result only; buildBlock always writes the magic
    std::string dateText;      // the 32-byte date field without its trailing zeros (inner zeros kept)
    std::string partyName;     // CP932, up to the first zero byte
    std::string partyNumber;   // CP932, up to the first zero byte
    bool played = false;       // flag bit 0: played on the main unit
    bool isProtected = false;  // flag bit 1: protected on the main unit
    std::uint32_t recordingTenths = 0;
    std::uint16_t boxNumber = 0;
    std::string boxDigits;  // up to the first zero byte, at most 4
};

// Reads the fields of a block; fewer than 256 bytes are taken as zero-padded.
RecordingBlock ParseBlock(std::string_view bytes);

// A block holding `fields`. Every byte of a field is written (texts cut to
// their width and padded with zeros); bytes outside the fields are zero, or
// taken from `over` when building over an existing block.
BlockBytes BuildBlock(const RecordingBlock& fields);
BlockBytes BuildBlock(const RecordingBlock& fields, const BlockBytes& over);

// The 32-byte date field as this program writes it from the local clock:
// "Mon,\0" "7" ... "Dec\0" "2026\0" "14:05\0" "+0900", zeros elsewhere.
std::string MakeBlockDate(const LocalTime& time);

// Big-endian helpers shared by the block and voice-data readers.
std::uint32_t ReadBigEndian32(const std::uint8_t* p);
std::uint16_t ReadBigEndian16(const std::uint8_t* p);

}  // namespace plova
