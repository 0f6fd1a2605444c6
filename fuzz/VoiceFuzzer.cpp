// A downloaded message file converted to WAV, the whole way: the record and
// block are skipped, the coded speech is decoded by the worker and written.
// Whatever the file holds, the message is only read, and the folder ends with
// either a complete WAV file beside it or nothing new at all.
#include <cstdint>
#include <fstream>
#include <iterator>

#include "audio/WavFormat.h"
#include "fuzz/FuzzSupport.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"

using namespace plova;
namespace fs = std::filesystem;

namespace {

// Speech of a few frames is enough to reach every path; longer inputs only slow the decoder.
constexpr std::size_t kMaxInput = store::kMinMessageFileSize + 4000;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return 0;
    const fs::path folder = fuzz::ScratchFolder() / "voice";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path message = folder / "202612071405_MON_0001_00001.vmdat";
    const std::string_view bytes = fuzz::AsText(data, size);
    fuzz::WriteFile(message, bytes);
    // The low byte of the setting is the gain; take it from the input too.
    const int level = size > 0 ? static_cast<std::int8_t>(data[size - 1]) : 0;
    const bool converted = store::ConvertToWav(message, level);
    FUZZ_CHECK(readFile(message) == bytes);

    const fs::path wav = fs::path(message).replace_extension(".wav");
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        (void)e;
        ++files;
    }
    if (!converted) {
        FUZZ_CHECK(files == 1);
        return 0;
    }
    FUZZ_CHECK(files == 2 && fs::exists(wav));
    FUZZ_CHECK(store::CheckWavFormat(wav));
    const std::string out = readFile(wav);
    FUZZ_CHECK(out.size() >= wav::kHeaderBytes);
    const auto* head = reinterpret_cast<const std::uint8_t*>(out.data());
    FUZZ_CHECK(GetLe32(head + wav::kDataSizeAt) == out.size() - wav::kHeaderBytes);
    FUZZ_CHECK(GetLe32(head + wav::kRiffSizeAt) == out.size() - 8);
    return 0;
}
