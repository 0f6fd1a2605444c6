// WAV files from anywhere: the chunk search, the header probe, the
// sequential reader and the format check a WAV file passes before it is
// coded for the main unit.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "audio/WavFormat.h"
#include "audio/WavReader.h"
#include "fuzz/FuzzSupport.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"

using namespace plova;

namespace {

// The chunk search over the bytes in memory: it must stop at the end and
// leave the position just past an identifier it reports.
void checkChunkSearch(std::string_view bytes, const wav::ChunkId& id) {
    if (bytes.empty()) return;
    std::string copy(bytes);
    FilePtr f(::fmemopen(copy.data(), copy.size(), "rb"));
    FUZZ_CHECK(f != nullptr);
    if (FindChunk(f.get(), id)) {
        const long at = std::ftell(f.get());
        FUZZ_CHECK(at >= 4 && static_cast<std::size_t>(at) <= bytes.size() && at % 2 == 0);
        FUZZ_CHECK(bytes.substr(static_cast<std::size_t>(at) - 4, 4) == std::string_view(id.data(), 4));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = fuzz::AsText(data, size);
    checkChunkSearch(in, wav::kFmt);
    checkChunkSearch(in, wav::kData);

    const std::filesystem::path file = fuzz::ScratchFolder() / "input.wav";
    fuzz::WriteFile(file, in);

    const auto format = ReadWavFormat(file);
    FUZZ_CHECK(!format || in.find("fmt ") != std::string_view::npos);

    WavReader reader;
    if (reader.Open(file)) {
        FUZZ_CHECK(in.find("data") != std::string_view::npos);
        std::vector<std::int16_t> buffer(37);  // odd block size, to cross every boundary
        std::size_t samples = 0;
        for (;;) {
            const long n = reader.Read(buffer);
            FUZZ_CHECK(n >= -1 && n <= static_cast<long>(buffer.size()));
            if (n <= 0) break;
            samples += static_cast<std::size_t>(n);
            FUZZ_CHECK(samples * 2 <= size);
        }
    }
    const bool fits = store::CheckWavFormat(file);
    // The check reads the fields at their usual offsets and nothing more: a
    // file cut right after the bits per sample passes it.
    FUZZ_CHECK(!fits || size >= wav::kBitsPerSampleAt + 2);
    return 0;
}
