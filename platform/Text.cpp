#include "platform/Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace plova {
namespace {

constexpr char16_t kUndecodable = u'\u30FB';

// iconv descriptors are not thread-safe; each conversion direction keeps one
// descriptor per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

iconv_t decoder() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c.get();
}

iconv_t encoder() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c.get();
}

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Single bytes the platform maps although iconv's table lacks them.
bool mapSpecialByte(unsigned char b, char16_t& out) {
    switch (b) {
    case 0x80: out = u'\u0080'; return true;
    case 0xA0: out = u'\uF8F0'; return true;
    case 0xFD: out = u'\uF8F1'; return true;
    case 0xFE: out = u'\uF8F2'; return true;
    case 0xFF: out = u'\uF8F3'; return true;
    default: return false;
    }
}

}  // namespace

std::u16string fromCp932(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    iconv_t cd = decoder();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // Convert as long a run as iconv accepts, then deal with one bad spot.
        char16_t buf[512];
        char* in = const_cast<char*>(bytes.data() + pos);
        std::size_t inLeft = bytes.size() - pos;
        char* outp = reinterpret_cast<char*>(buf);
        std::size_t outLeft = sizeof buf;
        const std::size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        out.append(buf, (sizeof buf - outLeft) / 2);
        pos = bytes.size() - inLeft;
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const auto b = static_cast<unsigned char>(bytes[pos]);
        char16_t special;
        if (mapSpecialByte(b, special)) {
            out += special;
            pos += 1;
        } else if (isLeadByte(b) && pos + 1 < bytes.size() && isTrailByte(static_cast<unsigned char>(bytes[pos + 1]))) {
            out += kUndecodable;  // an unassigned double-byte code
            pos += 2;
        } else {
            out += kUndecodable;
            pos += 1;
        }
    }
    return out;
}

std::string toCp932(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    iconv_t cd = encoder();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t pos = 0;
    while (pos < text.size()) {
        char buf[1024];
        char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data() + pos));
        std::size_t inLeft = (text.size() - pos) * 2;
        char* outp = buf;
        std::size_t outLeft = sizeof buf;
        const std::size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        out.append(buf, sizeof buf - outLeft);
        pos = text.size() - inLeft / 2;
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const char16_t c = text[pos];
        switch (c) {
        case u'\u0080': out += '\x80'; break;
        case u'\uF8F0': out += '\xA0'; break;
        case u'\uF8F1': out += '\xFD'; break;
        case u'\uF8F2': out += '\xFE'; break;
        case u'\uF8F3': out += '\xFF'; break;
        default: out += '?'; break;
        }
        // A surrogate pair is one character: one "?".
        pos += (c >= 0xD800 && c < 0xDC00 && pos + 1 < text.size()) ? 2 : 1;
    }
    return out;
}

std::size_t cp932Length(std::u16string_view text) {
    return toCp932(text).size();
}

std::string toUtf8(std::u16string_view s) {
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

std::u16string fromUtf8(std::string_view s) {
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

std::u16string pathText(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = wellFormedUtf8(bytes, i);
        if (n == 0) {
            out += static_cast<char16_t>(kByteEscape + static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            out += fromUtf8(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string pathBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t plain = 0;  // start of the text not yet converted
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A low half that follows a high half is part of a pair, not a byte.
        const bool paired = i > 0 && text[i - 1] >= 0xD800 && text[i - 1] < 0xDC00;
        if (!isByteEscape(text[i]) || paired) continue;
        out += toUtf8(text.substr(plain, i - plain));
        out += static_cast<char>(text[i] - kByteEscape);
        plain = i + 1;
    }
    out += toUtf8(text.substr(plain));
    return out;
}

std::u16string readablePathText(std::u16string_view text) {
    std::u16string out;
    std::string run;  // bytes of escapes in a row
    for (char16_t c : text) {
        if (isByteEscape(c)) {
            run += static_cast<char>(c - kByteEscape);
            continue;
        }
        if (!run.empty()) out += fromCp932(std::exchange(run, {}));
        out += c;
    }
    if (!run.empty()) out += fromCp932(run);
    return out;
}

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z') x -= 32;
        if (y >= u'a' && y <= u'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

bool hasControlCharacter(std::u16string_view text) {
    for (const char16_t c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

std::optional<long> parseWholeNumber(const std::string& text, long min, long max) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < min || value > max) return std::nullopt;
    return value;
}

}  // namespace plova
