// windows.h first: winternl.h builds on it.
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/testing/OpenHandles.h"

namespace plova::testkit {

namespace {

// Status of a buffer too small for the list.
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// The system's list of open handles, every process's; empty when the system
// keeps it to itself.
std::vector<unsigned char> systemHandleList() {
    std::vector<unsigned char> buffer(1 << 16);
    for (int tries = 0; tries < 16; ++tries) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            // Handles come and go between two calls: ask for room to spare.
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + (1 << 12)));
            continue;
        }
        if (status < 0) break;
        return buffer;
    }
    return {};
}

}  // namespace

int OpenHandles() {
    // Only files and sockets count (sockets are files to Windows): handles of
    // other kinds come and stay on their own, as the event a mutex takes the
    // first time two threads meet at it. A file open for the count shows
    // which kind of handle a file is.
    wchar_t self[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH)) return -1;
    const HANDLE probe = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return -1;
    const std::vector<unsigned char> buffer = systemHandleList();
    CloseHandle(probe);
    if (buffer.empty()) return -1;
    const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    const DWORD process = GetCurrentProcessId();
    const auto probeValue = static_cast<USHORT>(reinterpret_cast<std::uintptr_t>(probe));
    int fileType = -1;
    for (ULONG i = 0; i < list->Count && fileType < 0; ++i) {
        const SYSTEM_HANDLE_ENTRY& e = list->Handle[i];
        if (e.OwnerPid == process && e.HandleValue == probeValue) fileType = e.ObjectType;
    }
    if (fileType < 0) return -1;
    int count = 0;
    for (ULONG i = 0; i < list->Count; ++i) {
        const SYSTEM_HANDLE_ENTRY& e = list->Handle[i];
        if (e.OwnerPid == process && e.ObjectType == fileType) ++count;
    }
    return count - 1;  // the probe
}

}  // namespace plova::testkit
