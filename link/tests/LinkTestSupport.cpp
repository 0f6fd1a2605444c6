#include "link/tests/LinkTestSupport.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/Text.h"

namespace plova::linktest {
namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::minstd_rand random(seed + 1);
    for (auto& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::u16string U16(const std::string& utf8) {
    return FromUtf8(utf8);
}

std::string BoxMessageName(int number, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "202401151030_ABC_0001_%05d%s", number, extension);
    return name;
}

}  // namespace plova::linktest
