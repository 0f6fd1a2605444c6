// Audio files for the import tests and benchmarks: 8 kHz 16-bit mono WAV
// files written from samples, and FFmpeg turning them into the other forms a
// user brings (44.1 kHz stereo WAV, WMA, MP3 …).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "audio/WavFormat.h"
#include "audio/testing/FileBytes.h"
#include "audio/testing/SpeechSignal.h"

namespace plova::testkit {

inline void WriteWav8k(const std::filesystem::path& file, std::span<const std::int16_t> samples) {
    const auto header = MakeWavHeader(static_cast<std::uint32_t>(samples.size() * 2));
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.resize(header.size() + samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        PutLe16(&bytes[header.size() + 2 * i], static_cast<std::uint16_t>(samples[i]));
    WriteBytes(file, bytes);
}

// Whether the tests have the ffmpeg program to make their material with. The
// Windows build has FFmpeg's libraries only, and the build passes no program.
inline bool HaveFfmpegProgram(std::string_view ffmpeg) {
    return !ffmpeg.empty();
}
constexpr std::string_view kNoFfmpegProgram =
    "no ffmpeg program to make the test's audio files with (the Windows build has FFmpeg's libraries only)";

// Runs `ffmpeg` quietly on `from` with `options` before the output `to`; true when it succeeds.
inline bool FfmpegConvert(const std::string& ffmpeg, const std::filesystem::path& from, const std::string& options,
                          const std::filesystem::path& to) {
    const std::string command = ffmpeg + " -nostdin -hide_banner -loglevel error -y -i '" + from.string() + "' " +
                                options + " '" + to.string() + "'";
    return std::system(command.c_str()) == 0;
}

// How well `b` matches `a` at its best alignment either way: lossy codecs
// delay the sound, and some of FFmpeg's decoders trim more than they added.
inline double AlignedCorrelation(std::span<const std::int16_t> a, std::span<const std::int16_t> b, int maxLag) {
    const double later = Correlation(a, b, BestLag(a, b, maxLag));
    const double earlier = Correlation(b, a, BestLag(b, a, maxLag));
    return later > earlier ? later : earlier;
}

}  // namespace plova::testkit
