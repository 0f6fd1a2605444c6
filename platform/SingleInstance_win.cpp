#include <windows.h>

#include <cstdio>
#include <string_view>

#include "platform/AppPaths.h"
#include "platform/SingleInstance.h"
#include "platform/Win32.h"

namespace plova {
namespace {

// The mutex lives in the user's session ("Local\"): another user logged on
// at the same time runs a program of their own.
constexpr std::wstring_view kNamespace = L"Local\\";

// A folder's mark in a mutex name, which may not hold a backslash and is
// short: the FNV-1a hash of its long form.
std::wstring folderMark(const std::filesystem::path& folder) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const wchar_t c : win::LongPath(folder)) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 0x100000001b3ull;
    }
    wchar_t text[24];
    std::swprintf(text, std::size(text), L".%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

struct SingleInstanceLock::Held {
    HANDLE mutex = nullptr;
    ~Held() {
        if (mutex) CloseHandle(mutex);
    }
};

std::filesystem::path RuntimeFolder() {
    return ScratchFolder();
}

SingleInstanceLock::SingleInstanceLock(const std::string& name, std::filesystem::path folder)
    : held_(std::make_unique<Held>()) {
    std::wstring mutexName = std::wstring(kNamespace) + win::Wide(name);
    if (!folder.empty()) mutexName += folderMark(folder);
    held_->mutex = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    // The first holder made it; everyone after opens the same one.
    if (held_->mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(held_->mutex);
        held_->mutex = nullptr;
    }
}

std::string SingleInstanceChannel(const std::string& name, const std::filesystem::path& folder) {
    // Pipe names are the machine's, not the session's: the mark of the
    // user's own folder keeps two users' channels apart.
    std::string channel = name;
    for (const wchar_t c : folderMark(folder.empty() ? RuntimeFolder() : folder)) channel += static_cast<char>(c);
    return channel + ".raise";
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::Acquired() const {
    return held_->mutex != nullptr;
}

}  // namespace plova
