#include "sim/MainUnitDisk.h"

#include "platform/Text.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace fs = std::filesystem;

namespace plova::sim {

namespace {

std::string diskName(const std::string& wireName) {
    return ToUtf8(FromCp932(wireName));
}
std::string wireName(const std::string& diskName) {
    return ToCp932(FromUtf8(diskName));
}

bool isInside(const fs::path& base, const fs::path& p) {
    auto b = base.begin();
    auto q = p.begin();
    for (; b != base.end(); ++b, ++q) {
        if (q == p.end() || *b != *q) return false;
    }
    return true;
}

std::time_t toTimeT(fs::file_time_type t) {
    return std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(t)));
}

}  // namespace

MainUnitDisk::MainUnitDisk(fs::path root) {
    std::error_code ec;
    canonical_ = fs::canonical(root, ec);
    if (ec) canonical_ = fs::absolute(root, ec).lexically_normal();
}

std::string MainUnitDisk::Normalize(const std::string& cwd, const std::string& path) {
    std::vector<std::string> parts;
    auto push = [&parts](const std::string& text) {
        std::string component;
        auto flush = [&] {
            if (component == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!component.empty() && component != ".") {
                parts.push_back(component);
            }
            component.clear();
        };
        for (char c : text) {
            if (c == '/')
                flush();
            else
                component += c;
        }
        flush();
    };
    const bool absolute = !path.empty() && path[0] == '/';
    if (!absolute) push(cwd);
    push(path);
    std::string out;
    for (const auto& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::optional<fs::path> MainUnitDisk::LocalPath(const std::string& wirePath) const {
    if (wirePath.find('\0') != std::string::npos) return std::nullopt;
    fs::path p = canonical_;
    for (const auto& part : fs::path(Normalize("/", wirePath)).relative_path()) p /= diskName(part.string());
    // A link inside the tree may point anywhere: follow what exists and
    // check that the result is still below the root.
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(p, ec);
    if (ec || !isInside(canonical_, resolved)) return std::nullopt;
    return p;
}

bool MainUnitDisk::IsDirectory(const std::string& wirePath) const {
    auto p = LocalPath(wirePath);
    std::error_code ec;
    return p && fs::is_directory(*p, ec);
}

std::optional<MainUnitDisk::Entry> MainUnitDisk::Stat(const std::string& wirePath) const {
    auto p = LocalPath(wirePath);
    if (!p) return std::nullopt;
    std::error_code ec;
    auto status = fs::status(*p, ec);
    if (ec || !fs::exists(status)) return std::nullopt;
    Entry e;
    e.name = BaseName(Normalize("/", wirePath));
    e.directory = fs::is_directory(status);
    if (!e.directory && !fs::is_regular_file(status)) return std::nullopt;
    if (!e.directory) e.size = fs::file_size(*p, ec);
    e.modified = toTimeT(fs::last_write_time(*p, ec));
    return e;
}

std::vector<MainUnitDisk::Entry> MainUnitDisk::List(const std::string& wireDirectory) const {
    std::vector<Entry> out;
    auto dir = LocalPath(wireDirectory);
    std::error_code ec;
    if (!dir || !fs::is_directory(*dir, ec)) return out;
    for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        // The folder is inside the tree, and so is a plain entry of it: only a
        // link needs its whole path resolved and checked again.
        std::error_code entryError;
        if (it->is_symlink(entryError) || entryError) {
            if (auto e = Stat(Normalize(wireDirectory, wireName(name)))) out.push_back(*e);
            continue;
        }
        const fs::file_status status = it->status(entryError);
        if (entryError || !(fs::is_directory(status) || fs::is_regular_file(status))) continue;
        Entry e;
        e.name = wireName(name);
        e.directory = fs::is_directory(status);
        if (!e.directory) e.size = it->file_size(entryError);
        if (entryError) continue;  // gone in the meantime
        const auto modified = it->last_write_time(entryError);
        if (entryError) continue;
        e.modified = toTimeT(modified);
        out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return out;
}

std::string ParentOf(const std::string& wirePath) {
    auto slash = wirePath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return wirePath.substr(0, slash);
}

std::string BaseName(const std::string& wirePath) {
    auto slash = wirePath.find_last_of('/');
    return slash == std::string::npos ? wirePath : wirePath.substr(slash + 1);
}

}  // namespace plova::sim
