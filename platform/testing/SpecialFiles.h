// What tests plant under a name to see that the program neither follows nor
// waits on it, on systems that have such things, and the access rules a file
// ends up with.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string_view>

namespace plova::testkit {

// A named pipe; false where the system has none in folders (Windows).
bool MakeFifo(const std::filesystem::path& path);

// A symbolic link; false where the system cannot make one here: Wine makes
// none, Windows only with the privilege or in developer mode.
bool MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link);

// Why a test that needs those is skipped where makeFifo or makeSymlink fail.
constexpr std::string_view kNoFifos = "this system has no named pipes in folders";
constexpr std::string_view kNoSymlinks =
    "this system cannot make symbolic links here (Wine makes none, Windows only with the privilege)";

// Whether files have POSIX permission bits (Windows files take their access
// rules from their folder).
constexpr bool kFilesHaveModes =
#if defined(_WIN32)
    false;
#else
    true;
#endif

// Whether a file name may hold a line feed or any other control character:
// Windows refuses them in names.
constexpr bool kNamesHoldControlCharacters = kFilesHaveModes;
constexpr std::string_view kNoControlCharacterNames = "Windows file names cannot hold a line feed";

// Whether a file name is bytes that need not be UTF-8 (a name in CP932 from
// a share): Windows names are UTF-16 text.
constexpr bool kNamesAreBytes = kFilesHaveModes;
constexpr std::string_view kNamesAreText = "Windows file names are UTF-16 text, never other bytes";

// Whether only the file's owner may read and write it: mode 0600, or on
// Windows an access list of its own that names the owner alone.
bool OwnerOnly(const std::filesystem::path& file);

// Whether files in `folder` keep the access rules given them: Wine takes an
// access list and forgets it.
bool KeepsAccessRules(const std::filesystem::path& folder);
constexpr std::string_view kNoAccessRules = "this system keeps no access lists on files (Wine)";

// Holds `file` open for reading and shares it for reading alone, as a
// player or a virus scanner may, for the object's lifetime: others may read
// it, but neither write, replace nor remove it. Only Windows keeps files
// open that way; elsewhere the object holds nothing and Holds() is false.
class ReadOnlyHold {
public:
    explicit ReadOnlyHold(const std::filesystem::path& file);
    ~ReadOnlyHold();
    ReadOnlyHold(const ReadOnlyHold&) = delete;
    ReadOnlyHold& operator=(const ReadOnlyHold&) = delete;

    [[nodiscard]] bool Holds() const;

private:
    struct Held;
    std::unique_ptr<Held> held_;
};

// Makes the last write of a file or folder `age` ago (std::filesystem cannot
// for a folder on Windows).
bool MakeOlder(const std::filesystem::path& path, std::chrono::seconds age);

}  // namespace plova::testkit
