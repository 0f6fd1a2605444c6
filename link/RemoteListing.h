// Reading the main unit's listings. A listing comes from the network, and the
// names in it become local file and folder names: every name is checked here
// before a caller may use it, and a line whose name is not safe is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plova::listing {

// The two fixed-length forms of message file names.
enum class NameForm {
    BoxMessage,       // "YYYYMMDDhhmm_WWW_BBBB_NNNNN.vmdat", 33 characters
    ResponseMessage,  // "YYYYMMDDhhmm_WWW_BBBB_NNNN.vmdat", 32 characters
};
constexpr std::size_t kBoxMessageNameLength = 33;
constexpr std::size_t kResponseMessageNameLength = 32;
std::size_t NameLength(NameForm form);

// Characters 24..32 of a long-listing line hold the file size.
constexpr std::size_t kSizeFieldAt = 24;
constexpr std::size_t kSizeFieldChars = 9;

struct Entry {
    std::u16string name;
    std::int64_t size = 0;
};

// The listing cut into lines, the way the program reads every listing: every
// "*" and "." removed, "vmdat" and "vminf" given their dot back, empty lines
// skipped.
std::vector<std::u16string> CleanLines(std::u16string_view listing);

// A name that may become a local file or folder name: not empty, no path
// separator, no colon, no "..", no control character, no half surrogate pair.
bool IsSafeName(std::u16string_view name);

// A safe name of the fixed-length message form, ending in ".vmdat" or ".vminf".
bool IsMessageName(std::u16string_view name, NameForm form);

// A cleaned line of a name listing: the message name it holds, or nothing when
// the line is not exactly one safe message name.
std::optional<std::u16string> NameFromLine(std::u16string_view line, NameForm form);

// A cleaned line of a long listing: the size from characters 24..32 (leading
// spaces skipped) and the name from the end of the line. Nothing when the name
// is not a safe message name standing alone after a space, or there is no size.
std::optional<Entry> EntryFromLongLine(std::u16string_view line, NameForm form);

// Every message of a cleaned name listing / long listing, in listing order.
std::vector<std::u16string> MessageNames(std::u16string_view listing, NameForm form);
std::vector<Entry> MessageEntries(std::u16string_view listing, NameForm form);

// The box directory names of a "/rusuroku" or "/naisen" listing: cleaned
// lines that are safe names.
std::vector<std::u16string> BoxNames(std::u16string_view listing);

// A box number has at most four digits: no main unit holds more boxes of one
// kind than this.
constexpr std::size_t kMaxBoxesPerKind = 10000;
// A "/rusuroku" or "/naisen" listing that names more boxes than that: not a
// main unit's, and no folder is to be made from it.
bool NamesTooManyBoxes(std::u16string_view listing);

}  // namespace plova::listing
