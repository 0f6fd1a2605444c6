#include "audio/VoiceEncoder.h"

#include <array>
#include <memory>
#include <string_view>

#include "audio/G729Codec.h"
#include "audio/Level.h"
#include "audio/MediaConversion.h"
#include "audio/WavFormat.h"
#include "audio/WavReader.h"
#include "platform/AppPaths.h"
#include "platform/File.h"
namespace plova {

namespace {

using namespace encoder;

constexpr std::size_t kBlockFrames = kBlockSamples / kFrameSamples;
constexpr std::size_t kBlockBytes = kBlockFrames * kFrameBytes;
static_assert(kBlockBytes == 200);
constexpr double kMicrosPerSecond = 1e6;
constexpr std::string_view kIntermediateSuffix = ".wav";

// The one encoder of the process. The worker is stopped and waited for when
// the program ends, so no thread outlives the state it uses.
struct EncoderState : WorkerControl {
    // Written by EncodeStart before the worker exists; read only by the worker.
    std::int8_t level = 0;
    double maxSeconds = 0;
    std::filesystem::path input;
    std::filesystem::path output;
    std::filesystem::path intermediate;
    std::unique_ptr<G729Encoder> codec;

    ~EncoderState() { StopWorker(); }
};

EncoderState& state() {
    static EncoderState state;
    return state;
}

// One run of the worker, from its start request to its stop request.
class EncodeRun {
public:
    explicit EncodeRun(EncoderState& s) : s_(s) {}

    void Run() {
        for (;;) {
            if (s_.TakeStart()) takeStart();
            if (s_.status.load(std::memory_order_relaxed) == kConverting) pollConversion();
            if (s_.status.load(std::memory_order_relaxed) == kEncoding) encodeBlock();
            // A stop that overtakes the start is not taken until the start is.
            if (s_.TakeStop() && s_.status.load(std::memory_order_acquire) != kWaitingForStart) break;
            // The conversion poll already waits up to a millisecond; encoding goes flat out.
            const std::uint8_t status = s_.status.load(std::memory_order_relaxed);
            s_.Idle(status == kEncoding || status == kConverting);
        }
        conversion_.End();
        reader_.Close();
        output_.reset();
        std::error_code ec;
        if (!s_.intermediate.empty()) std::filesystem::remove(s_.intermediate, ec);
        s_.status.store(kIdle, std::memory_order_release);
    }

private:
    void setStatus(std::uint8_t v) { s_.status.store(v, std::memory_order_release); }

    void takeStart() {
        if (!s_.codec)
            s_.codec = std::make_unique<G729Encoder>();
        else
            s_.codec->Reset();
        gain_ = LevelGain(s_.level);
        const int started = conversion_.Start(s_.input, s_.intermediate, wav::kChannels, wav::kSampleRate,
                                              wav::kBitsPerSample, s_.maxSeconds);
        setStatus(started == media::kStarted ? kConverting : kConversionFailed);
    }

    void pollConversion() {
        const int result = conversion_.Poll();
        if (result == media::kRunning) return;
        if (result != media::kCompleted) return setStatus(kConversionFailed);
        const auto format = ReadWavFormat(s_.intermediate);
        if (!format || !format->IsCodecFormat()) return setStatus(kWrongFormat);
        if (!reader_.Open(s_.intermediate)) return setStatus(kCannotOpenIntermediate);
        output_ = StreamOf(OpenRegularFile(s_.output, Access::ReadWrite, Links::Refuse), "ab");
        if (!output_) return setStatus(kCannotOpenOutput);
        setStatus(kEncoding);
    }

    void encodeBlock() {
        pcm_.fill(0);
        const long n = reader_.Read(pcm_);
        if (n < 0) return setStatus(kReadFailed);
        if (n == 0) return finish();
        const std::size_t samples = static_cast<std::size_t>(n);
        const std::size_t frames = (samples + kFrameSamples - 1) / kFrameSamples;
        ApplyLevel(pcm_, gain_);
        coded_.fill(0);
        for (std::size_t f = 0; f < frames; ++f) {
            // bcg729 packs each frame most significant bit first, which is the
            // file's order of the five 16-bit words: nothing to swap.
            s_.codec->Encode(
                std::span<const std::int16_t, kFrameSamples>(pcm_.data() + f * kFrameSamples, kFrameSamples),
                std::span<std::uint8_t, kFrameBytes>(coded_.data() + f * kFrameBytes, kFrameBytes));
        }
        const std::size_t bytes = (kFrameBytes * frames + kWriteUnit - 1) / kWriteUnit * kWriteUnit;
        if (std::fwrite(coded_.data(), 1, bytes, output_.get()) != bytes) return setStatus(kWriteFailed);
        if (samples < kBlockSamples) finish();
    }

    // "Finished" promises every byte is in the file, so the buffered tail is
    // flushed first: a disk that fills up now is a failed write, not a success.
    void finish() { setStatus(std::fflush(output_.get()) == 0 ? kFinished : kWriteFailed); }

    EncoderState& s_;
    MediaConversion conversion_;
    WavReader reader_;
    FilePtr output_;
    double gain_ = 1.0;
    std::array<std::int16_t, kBlockSamples> pcm_{};
    std::array<std::uint8_t, kBlockBytes> coded_{};
};

void runWorker() {
    EncoderState& s = state();
    try {
        EncodeRun(s).Run();
    } catch (...) {
        // The codec could not be set up; nothing was encoded. Wait to be stopped.
        s.status.store(kConversionFailed, std::memory_order_release);
        s.WaitForStop();
        s.stopRequest.store(0, std::memory_order_release);
        std::error_code ec;
        std::filesystem::remove(s.intermediate, ec);
        s.status.store(kIdle, std::memory_order_release);
    }
}

}  // namespace

std::filesystem::path NewIntermediatePath() {
    const std::filesystem::path folder = ScratchFolder();
    return folder.empty() ? folder : NewTempPath(folder, kIntermediateSuffix);
}

int EncodeStart(const std::filesystem::path& input, const std::filesystem::path& output, std::int8_t level,
                double maxSeconds, const std::filesystem::path& intermediate) {
    EncoderState& s = state();
    if (!s.Claim()) return kBusy;
    const auto release = [&](int result) {
        s.Release();
        return result;
    };
    // Only regular files: opening a pipe under the chosen name would never return.
    if (!OpenRegularFile(input, Access::Read) || !OpenForRewrite(output)) return release(kCannotOpenFiles);
    const auto micros = ProbeAudioMicroseconds(input);
    if (!micros) return release(kNoDuration);
    if (static_cast<double>(*micros) / kMicrosPerSecond > maxSeconds) return release(kTooLong);

    s.input = input;
    s.output = output;
    s.intermediate = intermediate.empty() ? NewIntermediatePath() : intermediate;
    if (s.intermediate.empty()) return release(kCannotOpenFiles);
    s.level = level;
    s.maxSeconds = maxSeconds;
    return s.Launch(runWorker) ? kStarted : kNoThread;
}

std::uint8_t EncodePoll() {
    const std::uint8_t status = state().Poll();
    return status >= kRunningFirst && status <= kRunningLast ? kEncoding : status;
}

std::uint8_t EncodeAbort() {
    return state().Abort();
}

std::uint8_t EncodeStatus() {
    return state().status.load(std::memory_order_acquire);
}

}  // namespace plova
