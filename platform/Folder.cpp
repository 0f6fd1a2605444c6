#include "platform/Folder.h"

#include <string>

#include "platform/PortableNames.h"
#include "platform/Text.h"

namespace plova {

std::optional<FolderEntry> EntryOfPortableName(const std::filesystem::path& folder, std::u16string_view name,
                                               const std::filesystem::path& except) {
    const auto entries = ListFolder(folder, Links::Refuse);
    if (!entries) return std::nullopt;
    for (const FolderEntry& e : *entries)
        if (e.name != except && IsSamePortableName(NameText(e.name), name)) return e;
    return std::nullopt;
}

}  // namespace plova

namespace plova::detail {

namespace {
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;
}

bool CopyByReading(const FileHandle& from, std::uint64_t offset, FileHandle& to) {
    std::string chunk(kCopyChunk, '\0');
    for (std::uint64_t at = offset;;) {
        const auto got = from.ReadAt(at, chunk.data(), chunk.size());
        if (!got) return false;
        if (*got == 0) return true;
        if (!to.WriteAll(chunk.data(), *got)) return false;
        at += *got;
    }
}

}  // namespace plova::detail
