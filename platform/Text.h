// Text conversions at the edges: UTF-16 in memory, CP932 (the code page of
// the main unit, the CSV files and the settings files) and UTF-8 (the
// terminal, JSON and Qt's file names).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plova {

// CP932 bytes to UTF-16. Bytes that do not form a character become U+30FB
// ("・"), as the platform's own conversion does; never fails.
std::u16string FromCp932(std::string_view bytes);

// UTF-16 to CP932. Characters CP932 lacks become "?"; never fails.
std::string ToCp932(std::u16string_view text);

// Number of bytes `text` takes in CP932.
std::size_t Cp932Length(std::u16string_view text);

std::string ToUtf8(std::u16string_view text);
// Malformed UTF-8 becomes U+FFFD.
std::u16string FromUtf8(std::string_view bytes);

// The text of a file system name and back, losing nothing: a name need not be
// UTF-8 (a folder on a Windows share has CP932 bytes). Each byte that is no
// part of well-formed UTF-8 becomes U+DC80..U+DCFF (a half surrogate no
// well-formed text holds) and turns back into that byte, so the text always
// finds the same file again. For UTF-8 names these are fromUtf8 and toUtf8.
std::u16string PathText(std::string_view bytes);
std::string PathBytes(std::u16string_view text);

// A path from UTF-8 text (an argument, a line of a file) and its UTF-8 text.
// On Linux the bytes are the name as they are. On Windows the text is decoded:
// a std::string there would be read byte by byte, losing every Japanese name.
// utf8Of never throws: a Windows name with a lone surrogate gets U+FFFD.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8Of(const std::filesystem::path& path);

// A path's text as pathText gives it, and the path of such a text, on every
// system: through the name's bytes on Linux, its UTF-16 itself on Windows.
std::u16string TextOfPath(const std::filesystem::path& path);
std::filesystem::path PathOfText(std::u16string_view text);

// The UTF-16 text of a name as the system gives it, for matching and showing.
// On Linux bytes that are not UTF-8 become U+FFFD (textOfPath keeps them).
std::u16string NameText(const std::filesystem::path& name);

// Such a text for people: each run of bytes that were not UTF-8 read as
// CP932, the code page of the names that have them.
std::u16string ReadablePathText(std::u16string_view text);

// ASCII-only case folding, as the profile functions compare names.
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

// Any C0 control character or DEL: text that names or labels something on
// disk never holds one.
bool HasControlCharacter(std::u16string_view text);

// A decimal whole number from min to max, the whole of `text` (after any
// leading blanks and sign strtoll takes); nothing when it is empty, has
// anything after the digits or lies outside the range. 64 bits on every
// system (a long has 32 on Windows).
std::optional<long long> ParseWholeNumber(const std::string& text, long long min, long long max);

}  // namespace plova
