// Folders as the system lists them, and their own entries made durable.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/File.h"

namespace plova {

// One entry of a folder, as the folder holds it: a link (on Windows also a
// junction) is a link here, whatever it leads to.
struct FolderEntry {
    std::filesystem::path name;  // the name as the system gives it: bytes on Linux, UTF-16 on Windows
    std::filesystem::file_type type = std::filesystem::file_type::unknown;
    std::uint64_t size = 0;                         // of a regular file
    std::chrono::system_clock::time_point written;  // last written
};

// The entries of `folder` but "." and "..", in the order the system gives
// them; nothing when the folder cannot be opened or read to its end. With
// Links::Refuse a link at `folder` itself lists nothing. One call, however
// many entries: a box can hold thousands of messages and the lists read it on
// every refresh.
std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder, Links links = Links::Follow);

// Names created, renamed or removed in `folder` so far on the disk itself, so
// that a file given a new name there may let its old copy go. False when that
// cannot be promised.
bool SyncFolder(const std::filesystem::path& folder);

// Every byte of `from`, from its start, written at `to`'s position. The system
// copies it itself where it can (on Linux within one file system, the bytes
// never passing through this process). False on a read or write error, with
// the cause in LastFileError (NoSpace for a full disk); what was written
// stays, so the caller writes into a file it may throw away.
bool CopyContents(const FileHandle& from, FileHandle& to);

// The entry of `folder`, other than `except` (a name in it), that Windows
// would take for `name`: "A1" for "a1", "X.WAV" for "x.wav". Box folders move
// between Linux and Windows, so a name is taken on both when it is taken on
// either. Nothing when there is none or the folder cannot be read.
std::optional<FolderEntry> EntryOfPortableName(const std::filesystem::path& folder, std::u16string_view name,
                                               const std::filesystem::path& except = {});

namespace detail {
// The copy through a buffer, from `offset` of `from` on: where the system has
// no copy of its own, or it refuses these two files.
bool CopyByReading(const FileHandle& from, std::uint64_t offset, FileHandle& to);
}  // namespace detail

}  // namespace plova
