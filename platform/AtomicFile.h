// Replacing a file without ever leaving it half written: the new content goes
// to a temporary file in the same folder, which is renamed over the target
// only when every byte is on disk. On any failure the target stays as it was
// and the temporary file is removed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/File.h"

namespace plova {

class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target, NewFileMode mode = NewFileMode::Default);
    ~AtomicFile();  // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    [[nodiscard]] bool Ok() const { return file_.IsOpen() && !failed_; }
    bool Write(std::string_view bytes);
    bool Write(const void* data, std::size_t size);
    // Writes, syncs and renames over the target. False leaves the target untouched.
    bool Commit();

private:
    bool flush();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    FileHandle file_;
    std::string pending_;  // written bytes not yet handed to the system
    bool failed_ = false;
    bool committed_ = false;
};

// The whole content in one call.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         NewFileMode mode = NewFileMode::Default);

}  // namespace plova
