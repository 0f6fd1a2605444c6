// What the Windows implementations of the platform layer share. Included by
// the *_win.cpp files only: nothing above the platform layer sees a Windows
// header through it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/File.h"

namespace plova::win {

// The form of `path` every open and rename is given: absolute, with
// backslashes, "." and ".." resolved as Windows resolves them, and the "\\?\"
// (or "\\?\UNC\") prefix, so that a path longer than 260 characters opens as
// any other does. A path already in that form, or a device path ("\\.\"), is
// taken as it is.
std::wstring LongPath(const std::filesystem::path& path);

// Whether Windows can hold the last component of `path` as a file name (see
// PortableNames.h): "a:b" would open a stream of "a", "name." the file "name".
bool HoldsFileName(const std::filesystem::path& path);

inline HANDLE HandleOf(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}
inline NativeFile NativeOf(HANDLE handle) {
    return reinterpret_cast<NativeFile>(handle);
}

// Every file is opened shared for reading, writing and removal, as files are
// on Linux: another program may read it meanwhile, and it may be renamed or
// removed while open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Runs `attempt` (true on success, else the failure in GetLastError) again
// while it fails because another program holds the file named `path` for a
// moment (a player, an indexer, a virus scanner), up to about two seconds.
// The last error is the last attempt's.
bool RetryWhileBusy(const std::wstring& path, const std::function<bool()>& attempt);

// CreateFileW with kShareAll, retried while busy. INVALID_HANDLE_VALUE on failure.
HANDLE OpenShared(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags);

// Whether an open handle is a regular file, a link or junction refused when
// `links` says so. A reparse point that is no link (a file of a cloud folder,
// a deduplicated file) holds the file itself: opened with
// FILE_FLAG_OPEN_REPARSE_POINT it is opened again through its name, and kept
// when that is the same file. `handle` may be replaced so.
ReadResult CheckRegular(FileHandle& handle, const std::wstring& path, DWORD access, Links links);

// Whether two handles are open on the same file.
bool SameFile(HANDLE a, HANDLE b);

// UTF-16 to UTF-8 and back, for the names and messages Windows gives.
std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8Text);

}  // namespace plova::win
