// Settings files in the classic profile format ("[SECTION]" lines and
// "KEY=value" lines), read and written as the platform's profile functions
// do: section and key names compare without regard to case, values are
// trimmed, a value in matching quotes is read without them, a write updates
// one key in place and keeps every other line as it was, a missing file is
// created. Bytes on disk are CP932 with CRLF line ends. Every save replaces
// the file atomically.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/File.h"

namespace plova {

// No profile this program writes comes near this; a larger file (or a device
// under a profile's name) is refused rather than read into memory.
constexpr std::uint64_t kMaxProfileBytes = std::uint64_t{8} * 1024 * 1024;

// One file held in memory, for callers that read or write many keys at once.
class IniDocument {
public:
    // A missing or unreadable file gives an empty document; so does anything
    // but a regular file (a pipe is not waited on) and a file larger than
    // kMaxProfileBytes. `result`, when given, says which.
    static IniDocument Load(const std::filesystem::path& file, ReadResult* result = nullptr);

    [[nodiscard]] std::optional<std::u16string> Get(std::u16string_view section, std::u16string_view key) const;
    [[nodiscard]] std::u16string GetString(std::u16string_view section, std::u16string_view key,
                                           std::u16string_view fallback = u"") const;
    // The leading decimal number of the value ("12abc" is 12, "abc" is 0);
    // `fallback` when the key is missing.
    [[nodiscard]] int GetInt(std::u16string_view section, std::u16string_view key, int fallback) const;

    void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void SetInt(std::u16string_view section, std::u16string_view key, int value);
    void Remove(std::u16string_view section, std::u16string_view key);

    [[nodiscard]] bool Save(const std::filesystem::path& file, NewFileMode mode = NewFileMode::Default) const;
    [[nodiscard]] std::string Bytes() const;

private:
    struct Located {
        std::size_t sectionLine;  // index of the "[...]" line, or npos
        std::size_t keyLine;      // index of the key line, or npos
        std::size_t insertAt;     // where a new key of this section goes
    };
    [[nodiscard]] Located locate(const std::string& section, const std::string& key) const;

    std::vector<std::string> lines_;  // CP932, without line ends
};

// The document to update, or nothing when a file is there that cannot be
// read (too large, a pipe, no permission): saving over it would lose whatever
// it holds. A missing file gives an empty document.
std::optional<IniDocument> LoadForUpdate(const std::filesystem::path& file);

// Single-call forms. Each write loads, updates and atomically replaces the
// file; a file that exists but cannot be loaded is left alone and the write fails.
std::u16string ReadProfileString(const std::filesystem::path& file, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view fallback = u"");
int ReadProfileInt(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key,
                   int fallback);
bool WriteProfileText(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key,
                      std::u16string_view value);
bool WriteProfileInt(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key,
                     int value);
bool DeleteProfileKey(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key);

}  // namespace plova
