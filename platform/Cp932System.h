// The system's own CP932 tables (iconv on Linux, code page 932 on Windows),
// used by Text.cpp alone. Each converts as long a run as its table takes, and
// the caller deals with what stops it, the same way on every system.
#pragma once

#include <string>
#include <string_view>

namespace plova::cp932 {

// The first byte of a double-byte character, and the bytes that may follow it.
constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Decodes the longest prefix of `bytes` that the table maps, whole characters
// only, appending to `out`; the number of bytes taken. Stops before a byte
// or pair the table lacks, and before a lead byte cut off at the end.
std::size_t DecodeRun(std::string_view bytes, std::u16string& out);

// Encodes the longest prefix of `text` that the table maps exactly (no "best
// fit" stand-ins), appending to `out`; the number of units taken.
std::size_t EncodeRun(std::u16string_view text, std::string& out);

}  // namespace plova::cp932
