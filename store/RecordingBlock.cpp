#include "store/RecordingBlock.h"

#include <algorithm>
#include <cstdio>

namespace plova {
namespace {

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Bytes of a zero-padded text field up to its first zero byte.
std::string textUpToZero(const std::uint8_t* p, std::size_t width) {
    std::size_t n = 0;
    while (n < width && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

void putField(BlockBytes& out, std::size_t offset, std::size_t width, std::string_view text) {
    std::fill_n(out.begin() + offset, width, std::uint8_t{0});
    const std::size_t n = std::min(width, text.size());
    std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), n, out.begin() + offset);
}

void putAt(std::string& field, std::size_t at, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && at + i < field.size(); ++i) field[at + i] = text[i];
}

}  // namespace

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint16_t ReadBigEndian16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

RecordingBlock ParseBlock(std::string_view bytes) {
    BlockBytes b{};
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::min(bytes.size(), b.size()), b.begin());

    RecordingBlock r;
    r.hasMagic = std::equal(block::kMagic.begin(), block::kMagic.end(), b.begin() + block::kMagicOffset,
                            [](char c, std::uint8_t u) { return static_cast<std::uint8_t>(c) == u; });
    std::size_t dateLen = block::kDateSize;
    while (dateLen > 0 && b[block::kDateOffset + dateLen - 1] == 0) --dateLen;
    r.dateText.assign(reinterpret_cast<const char*>(b.data() + block::kDateOffset), dateLen);
    r.partyName = textUpToZero(b.data() + block::kPartyNameOffset, block::kPartyNameSize);
    r.partyNumber = textUpToZero(b.data() + block::kPartyNumberOffset, block::kPartyNumberSize);
    const std::uint8_t flags = b[block::kFlagsOffset];
    r.played = (flags & block::kFlagPlayed) != 0;
    r.isProtected = (flags & block::kFlagProtected) != 0;
    r.recordingTenths = ReadBigEndian32(b.data() + block::kTenthsOffset);
    r.boxNumber = ReadBigEndian16(b.data() + block::kBoxNumberOffset);
    r.boxDigits = textUpToZero(b.data() + block::kBoxDigitsOffset, block::kBoxDigitsSize);
    return r;
}

BlockBytes BuildBlock(const RecordingBlock& fields) {
    return BuildBlock(fields, BlockBytes{});
}

BlockBytes BuildBlock(const RecordingBlock& fields, const BlockBytes& over) {
    BlockBytes b = over;
    putField(b, block::kMagicOffset, block::kMagicSize, block::kMagic);
    putField(b, block::kDateOffset, block::kDateSize, fields.dateText);
    putField(b, block::kPartyNameOffset, block::kPartyNameSize, fields.partyName);
    putField(b, block::kPartyNumberOffset, block::kPartyNumberSize, fields.partyNumber);
    // Only the two bits we know are ours; the other bits of the flag byte stay as received.
    std::uint8_t flags = b[block::kFlagsOffset] & ~(block::kFlagPlayed | block::kFlagProtected);
    if (fields.played) flags |= block::kFlagPlayed;
    if (fields.isProtected) flags |= block::kFlagProtected;
    b[block::kFlagsOffset] = flags;
    const std::uint32_t t = fields.recordingTenths;
    b[block::kTenthsOffset + 0] = static_cast<std::uint8_t>(t >> 24);
    b[block::kTenthsOffset + 1] = static_cast<std::uint8_t>(t >> 16);
    b[block::kTenthsOffset + 2] = static_cast<std::uint8_t>(t >> 8);
    b[block::kTenthsOffset + 3] = static_cast<std::uint8_t>(t);
    b[block::kBoxNumberOffset + 0] = static_cast<std::uint8_t>(fields.boxNumber >> 8);
    b[block::kBoxNumberOffset + 1] = static_cast<std::uint8_t>(fields.boxNumber);
    putField(b, block::kBoxDigitsOffset, block::kBoxDigitsSize, fields.boxDigits);
    return b;
}

std::string MakeBlockDate(const LocalTime& time) {
    std::string field(block::kDateSize, '\0');
    const int wd = std::clamp(time.dayOfWeek, 0, 6);
    const int mo = std::clamp(time.month, 1, 12);
    char buf[16];
    putAt(field, block::kDateWeekdayAt, std::string(kWeekdays[wd]) + ",");
    std::snprintf(buf, sizeof buf, "%d", std::clamp(time.day, 0, 99));
    putAt(field, block::kDateDayAt, buf);
    putAt(field, block::kDateMonthAt, kMonths[mo - 1]);
    std::snprintf(buf, sizeof buf, "%04d", std::clamp(time.year, 0, 9999));
    putAt(field, block::kDateYearAt, std::string_view(buf, 4));
    std::snprintf(buf, sizeof buf, "%02d:%02d", std::clamp(time.hour, 0, 99), std::clamp(time.minute, 0, 99));
    putAt(field, block::kDateTimeAt, std::string_view(buf, 5));
    putAt(field, block::kDateZoneAt, block::kDateZone);
    return field;
}

}  // namespace plova
