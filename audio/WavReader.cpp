#include "audio/WavReader.h"

#include <bit>

namespace plova {

bool WavReader::Open(const std::filesystem::path& path) {
    FilePtr f = OpenFileStream(path, Access::Read);
    if (!f || !FindChunk(f.get(), wav::kData) || std::fseek(f.get(), 4, SEEK_CUR) != 0) return false;
    file_ = std::move(f);
    return true;
}

long WavReader::Read(std::span<std::int16_t> buffer) {
    if (!file_) return -1;
    auto* bytes = reinterpret_cast<std::uint8_t*>(buffer.data());
    const std::size_t got = std::fread(bytes, 1, buffer.size() * 2, file_.get());
    if (got < buffer.size() * 2 && std::ferror(file_.get())) {
        Close();
        return -1;
    }
    const std::size_t samples = got / 2;
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = 0; i < samples; ++i) buffer[i] = static_cast<std::int16_t>(GetLe16(bytes + 2 * i));
    }
    return static_cast<long>(samples);
}

}  // namespace plova
