// Converting a ten-minute message (60,000 frames) to a WAV file, three ways on
// the same frames in one run:
//   convert  store::ConvertToWav on the message file (copy to ".tmp",
//            decoder worker, WAV writer, poll loop), as the program does it;
//   ffmpeg   `ffmpeg -f g729 -i X -ar 8000 -ac 1 Y.wav`, what a user would run;
//   codec    a bare loop that only decodes the frames in memory: the floor.
// Prints the median of several rounds of each and the ratios convert/ffmpeg
// (target at most 1.0) and convert/codec (target at most 1.5).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/G729Codec.h"
#include "audio/testing/FileBytes.h"
#include "audio/testing/SpeechSignal.h"
#include "bench/BenchTiming.h"
#include "bench/PeerProgram.h"
#include "platform/testing/TempFolder.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/FILESTS_INFO.h"
#include "store/RecordingBlock.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFrames = 60'000;  // 10 minutes
constexpr int kRounds = 7;

}  // namespace

int main() {
    std::printf("encoding %zu frames of speech-like test signal...\n", kFrames);
    const std::vector<std::uint8_t> frames = testkit::EncodeSpeech(testkit::SynthesizeSpeech(kFrames));

    testkit::TempFolder dir("bench-convert");
    const fs::path message = dir / "202612071405_001_0012_00001.vmdat";
    const fs::path wav = dir / "202612071405_001_0012_00001.wav";
    const fs::path raw = dir / "frames.g729";
    const fs::path ffmpegWav = dir / "ffmpeg.wav";
    {
        const auto record = FILESTS_INFO{}.ToBytes();
        const auto block = BuildBlock(RecordingBlock{});
        std::vector<std::uint8_t> file(record.begin(), record.end());
        file.insert(file.end(), block.begin(), block.end());
        file.insert(file.end(), frames.begin(), frames.end());
        testkit::WriteBytes(message, file);
        testkit::WriteBytes(raw, frames);
    }
    // ffmpeg gets its files by their names in the current folder: a Linux
    // program reads those as we do, whichever system this benchmark was built for.
    const bench::InFolder inDir(dir.Path());
    const std::string ffmpegProgram = bench::PeerProgram("PLOVA_BENCH_FFMPEG", PLOVA_FFMPEG);
    const std::vector<std::string> ffmpegArgs{
        "-nostdin", "-hide_banner",          "-loglevel", "error", "-y",  "-f", "g729",
        "-i",       raw.filename().string(), "-ar",       "8000",  "-ac", "1",  ffmpegWav.filename().string()};

    std::vector<double> convert, viaFfmpeg, codec;
    std::vector<std::int16_t> pcm(kFrames * kFrameSamples);
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
        convert.push_back(Seconds([&] { ok = store::ConvertToWav(message, 0) && ok; }));
        viaFfmpeg.push_back(Seconds([&] { ok = bench::RunPeer(PLOVA_PEER_SHELL, ffmpegProgram, ffmpegArgs) && ok; }));
        codec.push_back(Seconds([&] {
            G729Decoder decoder;
            for (std::size_t f = 0; f < kFrames; ++f)
                decoder.Decode(std::span<const std::uint8_t, kFrameBytes>(&frames[f * kFrameBytes], kFrameBytes), false,
                               std::span<std::int16_t, kFrameSamples>(&pcm[f * kFrameSamples], kFrameSamples));
        }));
    }
    if (!ok) {
        std::fprintf(stderr, "a conversion failed\n");
        return 1;
    }
    const double c = Median(convert), f = Median(viaFfmpeg), b = Median(codec);
    std::printf("10-minute message, median of %d rounds\n", kRounds);
    std::printf("  ConvertToWav       %8.1f ms  (WAV %ju bytes)\n", c * 1e3,
                static_cast<std::uintmax_t>(fs::file_size(wav)));
    std::printf("  ffmpeg             %8.1f ms  (WAV %ju bytes)\n", f * 1e3,
                static_cast<std::uintmax_t>(fs::file_size(ffmpegWav)));
    std::printf("  bare codec loop    %8.1f ms\n", b * 1e3);
    std::printf("  ratio convert/ffmpeg  %.2f  (target <= 1.00) %s\n", c / f, c / f <= 1.0 ? "met" : "MISSED");
    std::printf("  ratio convert/codec   %.2f  (target <= 1.50) %s\n", c / b, c / b <= 1.5 ? "met" : "MISSED");
    return 0;
}
