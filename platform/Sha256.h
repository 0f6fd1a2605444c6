// SHA-256 (FIPS 180-4), for the manifests that prove a backup whole. Our own,
// so that every build has it without another library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plova {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    // The digest of everything given; the object starts over afterwards.
    Digest Finish();

    // The digest as 64 lower-case hexadecimal digits.
    static std::string Hex(const Digest& digest);
    static std::string HexOf(std::string_view bytes);

    // Whether the processor's own SHA-256 instructions do the rounds (where
    // it has them); tests turn them off to check the rounds written in C.
    static bool UsesProcessorInstructions();
    static void UseProcessorInstructions(bool use);

private:
    void compress(const std::uint8_t* block, std::size_t blocks);
    void reset();

    std::array<std::uint32_t, 8> state_{};
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // bytes given so far
};

// The hexadecimal digest of a regular file's content, read through the file
// layer (no pipe or device); nothing when it cannot be opened or read.
std::optional<std::string> Sha256OfFile(const std::filesystem::path& file);

}  // namespace plova
