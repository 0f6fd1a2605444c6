// What every fuzz target shares: a check that stops the run with a message
// (an abort is what the fuzzer and the corpus replay both report), the input
// as a string, and a private folder for targets whose code reads files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/testing/TempFolder.h"

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace plova::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// One folder per process, removed when the process ends normally.
inline const std::filesystem::path& ScratchFolder() {
    static testkit::TempFolder folder("fuzz");
    return folder.Path();
}

// Replaces `file` with exactly `bytes`.
inline void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    FUZZ_CHECK(out.good());
}

// Cuts the input at its first zero bytes: the pieces in order, the last one
// holding the rest (zeros included). Missing pieces are empty.
template <std::size_t N>
std::array<std::string_view, N> SplitAtZeros(std::string_view in) {
    std::array<std::string_view, N> parts{};
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const std::size_t zero = in.find('\0');
        parts[i] = in.substr(0, zero);
        in = zero == std::string_view::npos ? std::string_view{} : in.substr(zero + 1);
    }
    parts[N - 1] = in;
    return parts;
}

}  // namespace plova::fuzz
