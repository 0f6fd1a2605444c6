// Importing a ten-minute 44.1 kHz stereo WAV file as a system response
// message, against what the work itself costs, in one run:
//   import   AddResponseMessage as plova-cli import runs it: the audio copy,
//            the media conversion to the intermediate file, the encoder
//            worker polled every millisecond, and the wrapping into a
//            finished ".vmdat";
//   floor    `ffmpeg -i X -ar 8000 -ac 1 -f s16le Y` plus a bare loop that
//            encodes that PCM in memory with the same codec.
// Prints the median of several rounds of each and the ratio import/floor
// (target at most 1.2).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/G729Codec.h"
#include "audio/WavFormat.h"
#include "audio/testing/AudioFiles.h"
#include "audio/testing/FileBytes.h"
#include "audio/testing/SpeechSignal.h"
#include "bench/BenchTiming.h"
#include "platform/testing/TempFolder.h"
#include "store/ResponseMessage.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFrames = 60'000;  // 10 minutes at 8 kHz
constexpr int kRounds = 5;

class NoWindow final : public AddMessageWindow {
public:
    void Open(std::uintmax_t) override {}
    void Converting() override {}
    void Close() override {}
};

}  // namespace

int main() {
    const std::string ffmpeg = PLOVA_FFMPEG;
    testkit::TempFolder dir("bench-import");
    const fs::path speech8k = dir / "speech8k.wav";
    const fs::path source = dir / "speech.wav";
    std::printf("making a 10-minute 44.1 kHz stereo WAV of speech-like test signal...\n");
    testkit::WriteWav8k(speech8k, testkit::SynthesizeSpeech(kFrames));
    if (!testkit::FfmpegConvert(ffmpeg, speech8k, "-ar 44100 -ac 2", source)) {
        std::fprintf(stderr, "ffmpeg could not make the source\n");
        return 1;
    }
    const fs::path box = dir / "box";
    fs::create_directories(box / "outou");
    const fs::path raw = dir / "ffmpeg.raw";

    AddMessageRequest request;
    request.boxFolder = box;
    request.number = 1;
    request.source = source;
    request.anyAudio = true;
    request.intermediate = dir / "wave_tmp.wav";

    std::vector<double> imports, resample, encode;
    fs::path created;
    bool ok = true;
    std::vector<std::uint8_t> coded(kFrames * kFrameBytes + kFrameBytes);
    for (int round = 0; round < kRounds; ++round) {
        NoWindow window;
        imports.push_back(
            Seconds([&] { ok = AddResponseMessage(request, window, &created) == AddResult::Added && ok; }));
        resample.push_back(
            Seconds([&] { ok = testkit::FfmpegConvert(ffmpeg, source, "-ar 8000 -ac 1 -f s16le", raw) && ok; }));
        const std::vector<std::uint8_t> bytes = testkit::ReadBytes(raw);
        std::vector<std::int16_t> pcm(bytes.size() / 2 / kFrameSamples * kFrameSamples);
        for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::int16_t>(GetLe16(&bytes[2 * i]));
        encode.push_back(Seconds([&] {
            G729Encoder encoder;
            for (std::size_t f = 0; f < pcm.size() / kFrameSamples; ++f)
                encoder.Encode(std::span<const std::int16_t, kFrameSamples>(&pcm[f * kFrameSamples], kFrameSamples),
                               std::span<std::uint8_t, kFrameBytes>(&coded[f * kFrameBytes], kFrameBytes));
        }));
    }
    if (!ok) {
        std::fprintf(stderr, "an import or a conversion failed\n");
        return 1;
    }
    const double i = Median(imports), r = Median(resample), e = Median(encode);
    std::printf("10-minute 44.1 kHz stereo WAV (%ju bytes), median of %d rounds\n",
                static_cast<std::uintmax_t>(fs::file_size(source)), kRounds);
    std::printf("  import to .vmdat      %8.1f ms  (%ju bytes)\n", i * 1e3,
                static_cast<std::uintmax_t>(fs::file_size(created)));
    std::printf("  ffmpeg to 8 kHz PCM   %8.1f ms\n", r * 1e3);
    std::printf("  bare encode loop      %8.1f ms\n", e * 1e3);
    std::printf("  ratio import/(ffmpeg + encode)  %.2f  (target <= 1.20) %s\n", i / (r + e),
                i / (r + e) <= 1.2 ? "met" : "MISSED");
    return 0;
}
