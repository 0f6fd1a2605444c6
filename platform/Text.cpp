#include "platform/Text.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/Cp932System.h"

namespace plova {
namespace {

constexpr char16_t kUndecodable = u'\u30FB';
constexpr char kUnencodable = '?';

// Single bytes Windows maps although iconv's table lacks them (and Wine's
// table some of them): the program maps them itself, alike everywhere.
struct SingleByte {
    unsigned char byte;
    char16_t unit;
};
constexpr SingleByte kSingleByteExtras[] = {
    {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'},
};

// Characters that text from Linux and Mac programs holds where Windows text
// holds another, and that iconv writes as the CP932 code of the one Windows
// means (〜 is the ～ of 0x8160, — the ― of 0x815C, ¥ the yen sign of 0x5C).
// Windows' own table has no exact code for them; the program writes them as
// iconv does, on every system, rather than lose them as "?". With the single
// bytes above these are all that the two tables do differently.
struct Compatible {
    char16_t unit;
    std::string_view bytes;
};
constexpr Compatible kCompatible[] = {
    {u'\u00A5', "\x5C"},     {u'\u203E', "\x7E"},     {u'\u2014', "\x81\x5C"},
    {u'\u301C', "\x81\x60"}, {u'\u2016', "\x81\x61"}, {u'\u2212', "\x81\x7C"},
    {u'\u00A2', "\x81\x91"}, {u'\u00A3', "\x81\x92"}, {u'\u00AC', "\x81\xCA"},
};

}  // namespace

std::u16string FromCp932(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // As long a run as the table takes, then one spot it does not.
        pos += cp932::DecodeRun(bytes.substr(pos), out);
        if (pos >= bytes.size()) break;
        const auto b = static_cast<unsigned char>(bytes[pos]);
        const SingleByte* extra = nullptr;
        for (const auto& e : kSingleByteExtras)
            if (e.byte == b) extra = &e;
        if (extra) {
            out += extra->unit;
            pos += 1;
        } else if (cp932::IsLeadByte(b) && pos + 1 < bytes.size() &&
                   cp932::IsTrailByte(static_cast<unsigned char>(bytes[pos + 1]))) {
            out += kUndecodable;  // an unassigned double-byte code
            pos += 2;
        } else {
            out += kUndecodable;
            pos += 1;
        }
    }
    return out;
}

std::string ToCp932(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos += cp932::EncodeRun(text.substr(pos), out);
        if (pos >= text.size()) break;
        const char16_t c = text[pos];
        std::string_view mapped(&kUnencodable, 1);
        for (const auto& e : kSingleByteExtras)
            if (e.unit == c) mapped = std::string_view(reinterpret_cast<const char*>(&e.byte), 1);
        for (const auto& e : kCompatible)
            if (e.unit == c) mapped = e.bytes;
        out += mapped;
        // A surrogate pair is one character: one "?".
        const bool pair =
            c >= 0xD800 && c < 0xDC00 && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 && text[pos + 1] < 0xE000;
        pos += pair ? 2 : 1;
    }
    return out;
}

std::size_t Cp932Length(std::u16string_view text) {
    return ToCp932(text).size();
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;  // a lone surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra;
        char32_t c;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

namespace {

constexpr char16_t kByteEscape = 0xDC00;  // U+DC80..U+DCFF stand for the bytes 0x80..0xFF
constexpr unsigned char kFirstEscapedByte = 0x80;

bool isByteEscape(char16_t c) {
    return c >= kByteEscape + kFirstEscapedByte && c <= kByteEscape + 0xFF;
}

// The length of the well-formed UTF-8 sequence at `at` (no overlong forms,
// no surrogates, nothing beyond U+10FFFF), or 0.
std::size_t wellFormedUtf8(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(at);
    if (b < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

std::u16string PathText(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = wellFormedUtf8(bytes, i);
        if (n == 0) {
            out += static_cast<char16_t>(kByteEscape + static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            out += FromUtf8(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string PathBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t plain = 0;  // start of the text not yet converted
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A low half that follows a high half is part of a pair, not a byte.
        const bool paired = i > 0 && text[i - 1] >= 0xD800 && text[i - 1] < 0xDC00;
        if (!isByteEscape(text[i]) || paired) continue;
        out += ToUtf8(text.substr(plain, i - plain));
        out += static_cast<char>(text[i] - kByteEscape);
        plain = i + 1;
    }
    out += ToUtf8(text.substr(plain));
    return out;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
    const auto& native = path.native();
    if constexpr (sizeof(std::filesystem::path::value_type) == 1) {
        return std::string(native.begin(), native.end());
    } else {
        return ToUtf8(std::u16string(native.begin(), native.end()));
    }
}

namespace {

// A name's UTF-16 text: `narrow` reads the bytes of a Linux name; a Windows
// name is UTF-16 already. A template, so that only the system's own form is compiled.
template <typename Native, typename Narrow>
std::u16string textOf(const Native& native, Narrow narrow) {
    if constexpr (sizeof(typename Native::value_type) == 1) {
        return narrow(std::string_view(native));
    } else {
        return std::u16string(native.begin(), native.end());
    }
}

}  // namespace

std::u16string TextOfPath(const std::filesystem::path& path) {
    return textOf(path.native(), [](std::string_view bytes) { return PathText(bytes); });
}

std::filesystem::path PathOfText(std::u16string_view text) {
    if constexpr (sizeof(std::filesystem::path::value_type) == 1) {
        return std::filesystem::path(PathBytes(text));
    } else {
        return std::filesystem::path(std::filesystem::path::string_type(text.begin(), text.end()));
    }
}

std::u16string NameText(const std::filesystem::path& name) {
    return textOf(name.native(), [](std::string_view bytes) { return FromUtf8(bytes); });
}

std::u16string ReadablePathText(std::u16string_view text) {
    std::u16string out;
    std::string run;  // bytes of escapes in a row
    for (char16_t c : text) {
        if (isByteEscape(c)) {
            run += static_cast<char>(c - kByteEscape);
            continue;
        }
        if (!run.empty()) out += FromCp932(std::exchange(run, {}));
        out += c;
    }
    if (!run.empty()) out += FromCp932(run);
    return out;
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x -= 32;
        if (y >= u'a' && y <= u'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

bool HasControlCharacter(std::u16string_view text) {
    for (const char16_t c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

std::optional<long long> ParseWholeNumber(const std::string& text, long long min, long long max) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < min || value > max) return std::nullopt;
    return value;
}

}  // namespace plova
