// windows.h first: the headers below build on it.
#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/testing/SpecialFiles.h"

namespace plova::testkit {

bool MakeFifo(const std::filesystem::path&) {
    return false;
}

bool MakeSymlink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code ec;
    const DWORD folder =
        std::filesystem::is_directory(link.parent_path() / target, ec) || std::filesystem::is_directory(target, ec)
            ? SYMBOLIC_LINK_FLAG_DIRECTORY
            : 0;
    // Wine says yes and makes nothing: only a link that is there counts.
    return CreateSymbolicLinkW(link.c_str(), target.c_str(), folder | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           EntryType(link) == std::filesystem::file_type::symlink;
}

bool OwnerOnly(const std::filesystem::path& file) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    const PSID owner = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    // Protected from what the folder passes on, and every entry the owner's.
    bool only = acl != nullptr && (control & SE_DACL_PROTECTED) && acl->AceCount > 0;
    for (DWORD i = 0; only && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        only = GetAce(acl, i, &ace) && reinterpret_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE &&
               EqualSid(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, owner);
    }
    LocalFree(descriptor);
    return only;
}

bool KeepsAccessRules(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / ".plova-access-probe";
    const bool kept = WriteFileAtomically(probe, "", NewFileMode::OwnerOnly) && OwnerOnly(probe);
    RemoveFileOrLink(probe);
    return kept;
}

struct ReadOnlyHold::Held {
    HANDLE file = INVALID_HANDLE_VALUE;
};

ReadOnlyHold::ReadOnlyHold(const std::filesystem::path& file) : held_(std::make_unique<Held>()) {
    held_->file = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
}

ReadOnlyHold::~ReadOnlyHold() {
    if (held_->file != INVALID_HANDLE_VALUE) CloseHandle(held_->file);
}

bool ReadOnlyHold::Holds() const {
    return held_->file != INVALID_HANDLE_VALUE;
}

bool MakeOlder(const std::filesystem::path& path, std::chrono::seconds age) {
    const HANDLE h =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER then{};
    then.LowPart = now.dwLowDateTime;
    then.HighPart = now.dwHighDateTime;
    then.QuadPart -= static_cast<ULONGLONG>(age.count()) * 10'000'000;  // in units of 100 ns
    const FILETIME written{then.LowPart, then.HighPart};
    const bool set = SetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    return set;
}

}  // namespace plova::testkit
