// The file layer over the Win32 calls. Paths go to Windows in their wide,
// long form (win::longPath): a narrow path would be read in the ANSI code page.

// windows.h first: the headers below build on it.
#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/File.h"
#include "platform/PortableNames.h"
#include "platform/Win32.h"

namespace plova {

namespace win {
namespace {

// A file held open by another program is tried this many times, this far
// apart: about two seconds, long enough for a player or a virus scanner to let
// go, short enough for the user to wait through.
constexpr int kBusyAttempts = 20;
constexpr std::chrono::milliseconds kBusyPause{100};

// Windows writes and reads at most this much in one call.
constexpr std::size_t kMaxTransfer = 1u << 30;

// Keeps the thread's last error across a call that may change it.
class KeepLastError {
public:
    KeepLastError() : error_(GetLastError()) {}
    ~KeepLastError() { SetLastError(error_); }

private:
    DWORD error_;
};

// Whether `error` may be another program holding `path` for a moment. A folder
// or a read-only file refuses for good: waiting would not help.
bool mayBeBusy(DWORD error, const std::wstring& path) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const KeepLastError keep;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

}  // namespace

namespace {

// GetFullPathNameW: absolute, with backslashes, "." and ".." resolved. The
// path as it was when Windows cannot say.
std::wstring fullPath(const std::wstring& given) {
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return given;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return given;
    full.resize(length);
    return full;
}

}  // namespace

std::wstring LongPath(const std::filesystem::path& path) {
    const std::wstring& given = path.native();
    if (given.starts_with(LR"(\\?\)") || given.starts_with(LR"(\\.\)")) return given;
    const std::wstring full = fullPath(given);
    if (full.starts_with(LR"(\\.\)")) return full;  // a device name ("C:\x\CON" is "\\.\CON")
    if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
    if (full.size() >= 2 && full[1] == L':') return LR"(\\?\)" + full;
    return full;
}

bool HoldsFileName(const std::filesystem::path& path) {
    const std::wstring name = path.filename().native();
    return IsPortableName(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
}

bool RetryWhileBusy(const std::wstring& path, const std::function<bool()>& attempt) {
    for (int tried = 1;; ++tried) {
        if (attempt()) return true;
        if (tried == kBusyAttempts || !mayBeBusy(GetLastError(), path)) return false;
        const KeepLastError keep;
        std::this_thread::sleep_for(kBusyPause);
    }
}

HANDLE OpenShared(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    RetryWhileBusy(path, [&] {
        handle = CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    return handle;
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

ReadResult CheckRegular(FileHandle& handle, const std::wstring& path, DWORD access, Links links) {
    HANDLE h = HandleOf(handle.Native());
    // A device ("NUL", "COM1"), a pipe or a console is no file of ours.
    if (GetFileType(h) != FILE_TYPE_DISK) return ReadResult::NotRegular;
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) return ReadResult::Failed;
    if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ReadResult::NotRegular;
    if (links == Links::Follow || !(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return ReadResult::Ok;
    if (IsReparseTagNameSurrogate(info.ReparseTag)) return ReadResult::NotRegular;  // a link or a junction
    FileHandle through(NativeOf(OpenShared(path, access, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)));
    if (!through || !SameFile(h, HandleOf(through.Native()))) return ReadResult::NotRegular;
    handle = std::move(through);
    return ReadResult::Ok;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(needed, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), needed, nullptr, nullptr);
    return out;
}

std::wstring Wide(std::string_view utf8Text) {
    if (utf8Text.empty()) return {};
    const int size = static_cast<int>(utf8Text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(needed, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), size, out.data(), needed);
    return out;
}

}  // namespace win

namespace {

// No such file, folder, drive or share.
bool isMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

ReadResult openFailure(DWORD error, const std::wstring& path) {
    if (isMissing(error)) return ReadResult::Missing;
    switch (error) {
    case ERROR_CANT_RESOLVE_FILENAME:  // a loop of links
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_PIPE_BUSY: return ReadResult::NotRegular;
    case ERROR_ACCESS_DENIED: {
        // A folder opened as a file is refused as denied.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        SetLastError(error);
        return folder ? ReadResult::NotRegular : ReadResult::Failed;
    }
    default: return ReadResult::Failed;
    }
}

DWORD reparseFlag(Links links) {
    return links == Links::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
}

// The file position, moved by the positioned calls, is put back afterwards,
// as pread and pwrite leave it.
class KeepPosition {
public:
    explicit KeepPosition(HANDLE h) : handle_(h) { SetFilePointerEx(h, LARGE_INTEGER{}, &position_, FILE_CURRENT); }
    ~KeepPosition() { SetFilePointerEx(handle_, position_, nullptr, FILE_BEGIN); }
    KeepPosition(const KeepPosition&) = delete;
    KeepPosition& operator=(const KeepPosition&) = delete;

private:
    HANDLE handle_;
    LARGE_INTEGER position_{};
};

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

DWORD transferSize(std::size_t left) {
    return static_cast<DWORD>(std::min(left, win::kMaxTransfer));
}

// The access list of a file only its owner may use: this process's user, with
// every right, and nothing inherited from the folder.
bool restrictToOwner(HANDLE file) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!known) return false;
    EXPLICIT_ACCESSW owner{};
    owner.grfAccessPermissions = FILE_ALL_ACCESS;
    owner.grfAccessMode = SET_ACCESS;
    owner.grfInheritance = NO_INHERITANCE;
    owner.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    owner.Trustee.TrusteeType = TRUSTEE_IS_USER;
    owner.Trustee.ptstrName = static_cast<LPWSTR>(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    PACL acl = nullptr;
    if (SetEntriesInAclW(1, &owner, nullptr, &acl) != ERROR_SUCCESS) return false;
    const DWORD set =
        SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, acl, nullptr);
    LocalFree(acl);
    return set == ERROR_SUCCESS;
}

// A replaced file whose access list is its own rather than its folder's
// passes it on, as a replaced file keeps its permissions on Linux: the
// settings file with the password stays its owner's.
bool takeAccessListOf(const std::wstring& replaced, HANDLE file) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(replaced.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return true;  // nothing to pass on that can be read
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    bool taken = true;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision) && (control & SE_DACL_PROTECTED))
        taken = SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return taken;
}

}  // namespace

void FileHandle::Close() {
    if (IsOpen()) CloseHandle(win::HandleOf(file_));
    file_ = kNoFile;
}

std::optional<std::uint64_t> FileHandle::Size() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !GetFileSizeEx(win::HandleOf(file_), &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::size_t> FileHandle::ReadAt(std::uint64_t offset, void* out, std::size_t size) const {
    if (!IsOpen()) return std::nullopt;
    const HANDLE h = win::HandleOf(file_);
    const KeepPosition keep(h);
    std::size_t got = 0;
    auto* p = static_cast<char*>(out);
    while (got < size) {
        OVERLAPPED o = at(offset + got);
        DWORD n = 0;
        if (!ReadFile(h, p + got, transferSize(size - got), &n, &o)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return std::nullopt;
        }
        if (n == 0) break;
        got += n;
    }
    return got;
}

bool FileHandle::WriteAll(const void* data, std::size_t size) {
    if (!IsOpen()) return false;
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD n = 0;
        if (!WriteFile(win::HandleOf(file_), p, transferSize(size), &n, nullptr) || n == 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

bool WriteAllAt(NativeFile file, std::uint64_t offset, const void* data, std::size_t size) {
    if (file == kNoFile) return false;
    const HANDLE h = win::HandleOf(file);
    const KeepPosition keep(h);
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        OVERLAPPED o = at(offset);
        DWORD n = 0;
        if (!WriteFile(h, p, transferSize(size), &n, &o) || n == 0) return false;
        p += n;
        offset += n;
        size -= n;
    }
    return true;
}

bool FileHandle::Sync() {
    return IsOpen() && FlushFileBuffers(win::HandleOf(file_));
}

bool FileHandle::Resize(std::uint64_t size) {
    if (!IsOpen()) return false;
    const HANDLE h = win::HandleOf(file_);
    const KeepPosition keep(h);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool FileHandle::CloseChecked() {
    return IsOpen() && CloseHandle(win::HandleOf(Release()));
}

bool FileHandle::SetPermissions(unsigned) {
    return IsOpen();
}

unsigned UsualFileMode() {
    return 0666;
}

bool SetModeFor(FileHandle& file, const std::filesystem::path& target, NewFileMode mode) {
    if (!file) return false;
    const HANDLE h = win::HandleOf(file.Native());
    const std::wstring name = win::LongPath(target);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool regular = GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data) &&
                         !(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    bool set = mode == NewFileMode::OwnerOnly ? restrictToOwner(h) : !regular || takeAccessListOf(name, h);
    // A hidden file ("backup_info.ini") stays hidden when it is replaced.
    const DWORD marks = regular ? data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
    if (marks != 0) {
        FILE_BASIC_INFO basic{};  // times of 0 stay as they are
        basic.FileAttributes = marks | FILE_ATTRIBUTE_ARCHIVE;
        set = SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) && set;
    }
    return set;
}

FileHandle OpenRegularFile(const std::filesystem::path& path, Access access, Links links, ReadResult* why) {
    ReadResult result = ReadResult::Ok;
    FileHandle f;
    const std::wstring name = win::LongPath(path);
    const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = access == Access::ReadWriteCreate ? OPEN_ALWAYS : OPEN_EXISTING;
    if (!win::HoldsFileName(path)) {
        SetLastError(ERROR_INVALID_NAME);
        result = ReadResult::NotRegular;
    } else {
        f = FileHandle(
            win::NativeOf(win::OpenShared(name, rights, disposition, FILE_ATTRIBUTE_NORMAL | reparseFlag(links))));
        result = f ? win::CheckRegular(f, name, rights, links) : openFailure(GetLastError(), name);
    }
    if (result != ReadResult::Ok) f.Close();
    if (why) *why = result;
    return f;
}

FileHandle OpenForRewrite(const std::filesystem::path& path) {
    FileHandle f = OpenRegularFile(path, Access::ReadWriteCreate, Links::Refuse);
    BY_HANDLE_FILE_INFORMATION info{};
    if (f && (!GetFileInformationByHandle(win::HandleOf(f.Native()), &info) || info.nNumberOfLinks > 1 || !f.Resize(0)))
        f.Close();
    return f;
}

FileHandle OpenForAppend(const std::filesystem::path& path) {
    if (!win::HoldsFileName(path)) {
        SetLastError(ERROR_INVALID_NAME);
        return {};
    }
    const std::wstring name = win::LongPath(path);
    constexpr DWORD kRights = GENERIC_READ | GENERIC_WRITE;
    FileHandle f(
        win::NativeOf(win::OpenShared(name, kRights, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | reparseFlag(Links::Refuse))));
    if (f && win::CheckRegular(f, name, kRights, Links::Refuse) != ReadResult::Ok) f.Close();
    return f;
}

bool AppendAll(FileHandle& file, std::string_view bytes) {
    if (!file) return false;
    const HANDLE h = win::HandleOf(file.Native());
    const char* p = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        // An offset of all ones writes at the end of the file as it stands
        // at that moment, whoever else appends.
        OVERLAPPED o{};
        o.Offset = 0xFFFFFFFF;
        o.OffsetHigh = 0xFFFFFFFF;
        DWORD n = 0;
        if (!WriteFile(h, p, transferSize(size), &n, &o) || n == 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

FilePtr StreamOf(FileHandle&& handle, const char* mode) {
    if (!handle) return nullptr;
    int flags = _O_BINARY;
    if (std::strchr(mode, 'a')) flags |= _O_APPEND;
    if (mode[0] == 'r' && !std::strchr(mode, '+')) flags |= _O_RDONLY;
    const int fd = _open_osfhandle(handle.Native(), flags);
    if (fd < 0) return nullptr;
    handle.Release();  // the descriptor owns it now, and the stream the descriptor
    FilePtr stream(_fdopen(fd, mode));
    if (!stream) _close(fd);
    return stream;
}

FileHandle CreateNewFile(const std::filesystem::path& path) {
    if (!win::HoldsFileName(path)) {
        SetLastError(ERROR_INVALID_NAME);
        return {};
    }
    // WRITE_DAC: setModeFor may give the new file an access list of its own.
    const HANDLE h =
        CreateFileW(win::LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC | READ_CONTROL,
                    win::kShareAll, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return FileHandle(win::NativeOf(h));
}

bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!win::HoldsFileName(to)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const std::wstring source = win::LongPath(from), target = win::LongPath(to);
    // MoveFileExW rather than ReplaceFileW: ReplaceFileW can fail half way
    // with the target renamed away, and it fails on a target held open.
    return win::RetryWhileBusy(target, [&] {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!win::HoldsFileName(to)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const std::wstring source = win::LongPath(from), target = win::LongPath(to);
    return win::RetryWhileBusy(
        source, [&] { return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0; });
}

bool MakeHardLink(const std::filesystem::path& existing, const std::filesystem::path& link) {
    if (!win::HoldsFileName(link)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return CreateHardLinkW(win::LongPath(link).c_str(), win::LongPath(existing).c_str(), nullptr) != 0;
}

bool RemoveFileOrLink(const std::filesystem::path& file) {
    const std::wstring name = win::LongPath(file);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return isMissing(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A link or junction to a folder is a folder to Windows; removing it
        // removes the link alone.
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        return RemoveDirectoryW(name.c_str()) != 0;
    }
    // A read-only mark does not keep a file of the program's from going, as
    // on Linux, where only the folder's permissions count.
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return win::RetryWhileBusy(name, [&] { return DeleteFileW(name.c_str()) != 0; });
}

namespace {

// Removes what is in the folder `name` (long form) and the folder itself,
// never going through a reparse point.
bool removeTree(const std::wstring& name) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW((name + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    bool removed = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring entry = found.cFileName;
            if (entry == L"." || entry == L"..") continue;
            const std::wstring inner = name + L"\\" + entry;
            const DWORD a = found.dwFileAttributes;
            if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
                removed = removeTree(inner) && removed;
            } else {
                removed = RemoveFileOrLink(inner) && removed;
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(name.c_str()) != 0 && removed;
}

}  // namespace

bool RemoveFolderTree(const std::filesystem::path& folder) {
    if (EntryType(folder) != std::filesystem::file_type::directory) return false;
    return removeTree(win::LongPath(folder));
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path) {
    return path.empty() ? path : std::filesystem::path(win::fullPath(path.native()));
}

std::filesystem::file_type EntryType(const std::filesystem::path& path) {
    using std::filesystem::file_type;
    const std::wstring name = win::LongPath(path);
    const DWORD a = GetFileAttributesW(name.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return isMissing(GetLastError()) ? file_type::not_found : file_type::unknown;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The entry itself, not what it leads to, for its reparse tag.
        const FileHandle entry(
            win::NativeOf(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, win::kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
        FILE_ATTRIBUTE_TAG_INFO info{};
        if (!entry ||
            !GetFileInformationByHandleEx(win::HandleOf(entry.Native()), FileAttributeTagInfo, &info, sizeof info))
            return file_type::unknown;
        if (IsReparseTagNameSurrogate(info.ReparseTag)) return file_type::symlink;
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY) return file_type::directory;
    if (a & FILE_ATTRIBUTE_DEVICE) return file_type::character;
    return file_type::regular;
}

FileError LastFileError() {
    return FileErrorOf(static_cast<int>(GetLastError()));
}

int LastSystemError() {
    return static_cast<int>(GetLastError());
}

void ClearSystemError() {
    SetLastError(ERROR_SUCCESS);
}

FileError FileErrorOf(const std::error_code& ec) {
    if (!ec) return FileError::None;
    // The system's category carries GetLastError() codes; the generic one
    // the C library's errno numbers.
    if (ec.category() == std::system_category()) return FileErrorOf(ec.value());
    if (ec == std::errc::no_space_on_device) return FileError::NoSpace;
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return FileError::Missing;
    if (ec == std::errc::file_exists) return FileError::Exists;
    if (ec == std::errc::permission_denied || ec == std::errc::read_only_file_system) return FileError::Denied;
    if (ec == std::errc::device_or_resource_busy) return FileError::InUse;
    return FileError::Other;
}

FileError FileErrorOf(int code) {
    const auto error = static_cast<DWORD>(code);
    if (isMissing(error)) return FileError::Missing;
    switch (error) {
    case ERROR_SUCCESS: return FileError::None;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return FileError::Exists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_NOT_ENOUGH_QUOTA: return FileError::NoSpace;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return FileError::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return FileError::Denied;
    default: return FileError::Other;
    }
}

std::string SystemErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(error) : win::Utf8(message);
}

long CurrentProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool ProcessRunning(long pid) {
    if (pid <= 0) return false;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    // Denied: it runs, under another user. Any other refusal: no such process.
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    // STILL_ACTIVE could also be the exit code of one that ended: the wait tells.
    const bool running =
        GetExitCodeProcess(process, &code) && code == STILL_ACTIVE && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace plova
