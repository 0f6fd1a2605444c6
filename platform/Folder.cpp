#include "platform/Folder.h"

#include <string>

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
