#include "platform/PortableNames.h"

#include <array>

namespace plova {
namespace {

constexpr std::size_t kMaxNameUnits = 255;
constexpr std::u16string_view kForbidden = u"<>:\"/\\|?*";

// The devices every folder has on Windows; COM and LPT also take the
// superscript digits ¹ ² ³.
constexpr std::array<std::u16string_view, 6> kDevices = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
constexpr std::array<std::u16string_view, 2> kNumberedDevices = {u"COM", u"LPT"};

bool isDeviceDigit(char16_t c) {
    return (c >= u'1' && c <= u'9') || c == u'\u00B9' || c == u'\u00B2' || c == u'\u00B3';
}

bool equalsFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (PortableNameFold(a[i]) != PortableNameFold(b[i])) return false;
    return true;
}

// "con", "CON.txt", "con .wav", "COM1.tar.gz": Windows reads the part before
// the first dot, without trailing spaces, as the device.
bool namesDevice(std::u16string_view name) {
    std::u16string_view base = name.substr(0, name.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
    for (const auto device : kDevices)
        if (equalsFolded(base, device)) return true;
    if (base.size() != 4 || !isDeviceDigit(base[3])) return false;
    for (const auto device : kNumberedDevices)
        if (equalsFolded(base.substr(0, 3), device)) return true;
    return false;
}

// Ranges whose lower-case letters sit a fixed distance above their capitals.
struct FoldRange {
    char16_t first;
    char16_t last;
    char16_t distance;
};
constexpr FoldRange kFoldRanges[] = {
    {u'a', u'z', 0x20},     {0x00E0, 0x00FE, 0x20},  // à … þ (÷ excepted below)
    {0x03B1, 0x03CB, 0x20},                          // α … ϋ (ς excepted below)
    {0x0430, 0x044F, 0x20},                          // а … я
    {0x0450, 0x045F, 0x50},                          // ѐ … џ
    {0x0561, 0x0586, 0x30},                          // Armenian
    {0x2170, 0x217F, 0x10},                          // ⅰ … ⅿ
    {0x24D0, 0x24E9, 0x1A},                          // ⓐ … ⓩ
    {0xFF41, 0xFF5A, 0x20},                          // ａ … ｚ
};

// Blocks where capitals and small letters alternate, the capital first.
struct PairRange {
    char16_t first;
    char16_t last;
};
constexpr PairRange kPairRanges[] = {
    {0x0100, 0x012F}, {0x0132, 0x0137}, {0x0139, 0x0148}, {0x014A, 0x0177}, {0x0179, 0x017E}, {0x0460, 0x0481},
    {0x048A, 0x04BF}, {0x04C1, 0x04CE}, {0x04D0, 0x052F}, {0x1E00, 0x1E95}, {0x1EA0, 0x1EFF},
};

// Single letters whose capitals lie elsewhere.
struct Fold {
    char16_t small;
    char16_t capital;
};
constexpr Fold kSingleFolds[] = {
    {0x00FF, 0x0178}, {0x03AC, 0x0386}, {0x03AD, 0x0388}, {0x03AE, 0x0389},
    {0x03AF, 0x038A}, {0x03CC, 0x038C}, {0x03CD, 0x038E}, {0x03CE, 0x038F},
};

}  // namespace

char16_t PortableNameFold(char16_t c) {
    if (c == 0x00F7 || c == 0x03C2) return c;  // ÷ is no letter; final sigma has no capital of its own
    for (const auto& f : kSingleFolds)
        if (c == f.small) return f.capital;
    for (const auto& r : kFoldRanges)
        if (c >= r.first && c <= r.last) return static_cast<char16_t>(c - r.distance);
    for (const auto& r : kPairRanges)
        if (c >= r.first && c <= r.last && (c - r.first) % 2 == 1) return static_cast<char16_t>(c - 1);
    return c;
}

bool IsPortableName(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxNameUnits || name == u"." || name == u"..") return false;
    for (const char16_t c : name)
        if (c < 0x20 || kForbidden.find(c) != std::u16string_view::npos) return false;
    if (name.back() == u'.' || name.back() == u' ') return false;
    return !namesDevice(name);
}

bool IsSamePortableName(std::u16string_view a, std::u16string_view b) {
    return equalsFolded(a, b);
}

}  // namespace plova
