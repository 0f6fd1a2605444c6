// The main unit's disk as a directory tree. Paths on the wire are CP932
// byte strings relative to the tree's root ("/rusuroku/0001/..."); names on
// the local disk are UTF-8. Every path is normalised before use and can never
// name anything outside the root: ".." at the root stays at the root, and a
// symbolic link that leads out of the tree is treated as absent.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plova::sim {

class MainUnitDisk {
public:
    explicit MainUnitDisk(std::filesystem::path root);

    // `path` (absolute, or relative to `cwd`) as a normalised absolute path:
    // "/" or "/a/b", with "." and empty components dropped and ".." climbing
    // no higher than the root. A backslash is an ordinary byte: it is the
    // second byte of many CP932 characters.
    static std::string Normalize(const std::string& cwd, const std::string& path);

    // The local file for a normalised path; nothing when the path holds a NUL
    // byte or would resolve outside the root.
    [[nodiscard]] std::optional<std::filesystem::path> LocalPath(const std::string& wirePath) const;

    [[nodiscard]] bool IsDirectory(const std::string& wirePath) const;

    struct Entry {
        std::string name;  // CP932, as listed on the wire
        bool directory = false;
        std::uint64_t size = 0;
        std::time_t modified = 0;
    };
    // Entries of a directory, sorted by name (so a message's ".vmdat" comes
    // before its ".vminf"); names starting with "." (the server's own
    // temporary files) are left out. Empty when the directory is absent.
    [[nodiscard]] std::vector<Entry> List(const std::string& wireDirectory) const;
    [[nodiscard]] std::optional<Entry> Stat(const std::string& wirePath) const;

private:
    std::filesystem::path canonical_;  // the root, for the containment check
};

// Name and directory parts of a normalised path ("/a/b" -> "/a", "b").
std::string ParentOf(const std::string& wirePath);
std::string BaseName(const std::string& wirePath);

}  // namespace plova::sim
