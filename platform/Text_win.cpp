// CP932 through Windows' code page 932.
#include <windows.h>

#include <vector>

#include "platform/Cp932System.h"

namespace plova::cp932 {
namespace {

constexpr UINT kCodePage = 932;
// Text is handed to Windows in pieces of about this many bytes or units; a
// piece that does not convert whole is converted character by character.
constexpr std::size_t kPiece = 256;

// The length of the character at `at`: a lead byte with its trail byte is
// one, anything else a byte of its own.
std::size_t characterLength(std::string_view bytes, std::size_t at) {
    return IsLeadByte(static_cast<unsigned char>(bytes[at])) && at + 1 < bytes.size() &&
                   IsTrailByte(static_cast<unsigned char>(bytes[at + 1]))
               ? 2
               : 1;
}

// The whole of `bytes` through the table, or false when any of it is not in it.
bool decodeAll(std::string_view bytes, std::u16string& out) {
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    std::vector<wchar_t> buf(bytes.size());
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, buf.data(), size);
    if (n <= 0) return false;
    out.append(reinterpret_cast<const char16_t*>(buf.data()), static_cast<std::size_t>(n));
    return true;
}

// The same for encoding: false when a unit has no exact code.
bool encodeAll(std::u16string_view text, std::string& out) {
    if (text.empty()) return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    std::vector<char> buf(text.size() * 2);
    BOOL defaulted = FALSE;
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, size, buf.data(),
                                      static_cast<int>(buf.size()), nullptr, &defaulted);
    if (n <= 0 || defaulted) return false;
    out.append(buf.data(), static_cast<std::size_t>(n));
    return true;
}

std::size_t unitLength(std::u16string_view text, std::size_t at) {
    return text[at] >= 0xD800 && text[at] < 0xDC00 && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
                   text[at + 1] < 0xE000
               ? 2
               : 1;
}

}  // namespace

std::size_t DecodeRun(std::string_view bytes, std::u16string& out) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // A piece that ends on a character's end, converted whole when it can be.
        std::size_t end = pos;
        while (end < bytes.size() && end - pos < kPiece) end += characterLength(bytes, end);
        if (decodeAll(bytes.substr(pos, end - pos), out)) {
            pos = end;
            continue;
        }
        // Then character by character, up to the one the table lacks.
        while (pos < end) {
            const std::size_t length = characterLength(bytes, pos);
            if (!decodeAll(bytes.substr(pos, length), out)) return pos;
            pos += length;
        }
    }
    return pos;
}

std::size_t EncodeRun(std::u16string_view text, std::string& out) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && end - pos < kPiece) end += unitLength(text, end);
        if (encodeAll(text.substr(pos, end - pos), out)) {
            pos = end;
            continue;
        }
        while (pos < end) {
            const std::size_t length = unitLength(text, pos);
            if (!encodeAll(text.substr(pos, length), out)) return pos;
            pos += length;
        }
    }
    return pos;
}

}  // namespace plova::cp932
