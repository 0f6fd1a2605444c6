// A file's bytes read whole, and written whole, for the tests of every
// folder: what a test puts on the disk and what it finds there.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace plova::testkit {

inline std::string ReadFileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace plova::testkit
