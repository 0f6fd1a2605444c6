#include "audio/VoiceDecoder.h"

#include <array>
#include <memory>

#include "audio/G729Codec.h"
#include "audio/Level.h"
#include "audio/WavFormat.h"
#include "audio/WavWriter.h"

namespace plova {

namespace {

using namespace decoder;

constexpr std::size_t kWordBytes = 2;
constexpr std::size_t kWordsPerFrame = kFrameBytes / kWordBytes;
// A block of B bytes holds ⌊8·⌈B/8⌉ / 10⌋ frames (40 for a full block).
constexpr std::size_t kUnitBytes = 8;
constexpr std::size_t kFullBlockUnits = decoder::kBlockBytes / kUnitBytes;

// The one decoder of the process. The worker is stopped and waited for when
// the program ends, so no thread outlives the state it uses.
struct DecoderState : WorkerControl {
    // Written by DecodeStart before the worker exists; read only by the worker.
    std::int8_t level = 0;
    std::filesystem::path input;
    std::filesystem::path output;
    std::unique_ptr<G729Decoder> codec;

    ~DecoderState() { StopWorker(); }
};

DecoderState& state() {
    static DecoderState state;
    return state;
}

bool hasZeroWord(const std::uint8_t* frame) {
    for (std::size_t w = 0; w < kWordsPerFrame; ++w)
        if (frame[kWordBytes * w] == 0 && frame[kWordBytes * w + 1] == 0) return true;
    return false;
}

// One run of the worker, from its start request to its stop request.
class DecodeRun {
public:
    explicit DecodeRun(DecoderState& s) : s_(s) {}

    void Run() {
        for (;;) {
            if (s_.TakeStart()) takeStart();
            if (s_.status.load(std::memory_order_relaxed) == kDecoding) decodeBlock();
            if (s_.TakeStop()) break;
            s_.Idle(s_.status.load(std::memory_order_relaxed) == kDecoding);
        }
        input_.reset();
        writer_.Abandon();
        s_.status.store(kIdle, std::memory_order_release);
    }

private:
    void setStatus(std::uint8_t v) { s_.status.store(v, std::memory_order_release); }

    void takeStart() {
        if (!s_.codec)
            s_.codec = std::make_unique<G729Decoder>();
        else
            s_.codec->Reset();
        gain_ = LevelGain(s_.level);
        input_ = OpenFileStream(s_.input, Access::Read);
        setStatus(input_ ? kDecoding : kCannotReadInput);
    }

    void decodeBlock() {
        std::array<std::uint8_t, kBlockBytes> block{};
        const std::size_t got = std::fread(block.data(), 1, block.size(), input_.get());
        if (got < block.size() && std::ferror(input_.get())) {
            setStatus(kCannotReadInput);
            return;
        }
        // Only whole 4-byte units count: 1 to 3 stray bytes at the end are ignored.
        const std::size_t bytes = got - got % kReadUnit;
        const std::size_t units = (bytes + kUnitBytes - 1) / kUnitBytes;
        if (units == 0) {
            finishFile();  // end of input
            return;
        }
        const bool last = units < kFullBlockUnits;
        const std::size_t frames = units * kUnitBytes / kFrameBytes;
        if (frames == 0) {
            setStatus(kBadLength);
            return;
        }
        std::array<std::int16_t, kFrameSamples> pcm;
        for (std::size_t f = 0; f < frames; ++f) {
            const std::uint8_t* frame = block.data() + f * kFrameBytes;
            // The file holds each 16-bit word most significant byte first, which is
            // the codec's own bit order: the frame goes in as it stands.
            s_.codec->Decode(std::span<const std::uint8_t, kFrameBytes>(frame, kFrameBytes), hasZeroWord(frame), pcm);
            ApplyLevel(pcm, gain_);
            // The first frame begins the file; a failed write closes it and ends the run.
            const std::uint8_t mode = writer_.IsOpen() ? WavWriter::kAppend : WavWriter::kBeginAppend;
            if (writer_.Write(mode, s_.output, pcm) != 0) {
                setStatus(kWriteFailed);
                return;
            }
        }
        if (last) finishFile();
    }

    // Patches the sizes. A file whose sizes cannot be patched is not complete,
    // and with no frame ever written there is no file to finish: both fail.
    void finishFile() { setStatus(writer_.Write(WavWriter::kFinish, s_.output, {}) == 0 ? kFinished : kWriteFailed); }

    DecoderState& s_;
    FilePtr input_;
    WavWriter writer_;
    double gain_ = 1.0;
};

void runWorker() {
    DecoderState& s = state();
    try {
        DecodeRun(s).Run();
    } catch (...) {
        // The codec could not be set up; nothing was decoded. Wait to be stopped.
        s.FailUntilStopped(kWriteFailed);
    }
}

}  // namespace

int DecodeStart(const std::filesystem::path& input, const std::filesystem::path& output, std::int8_t level) {
    DecoderState& s = state();
    if (!s.Claim()) return kBusy;
    const auto release = [&](int result) {
        s.Release();
        return result;
    };
    // Neither name may block the caller or be written through: the input is
    // a regular file, the output a regular file or none, never a link.
    if (!OpenRegularFile(input, Access::Read) || !OpenForRewrite(output)) return release(kCannotOpenFiles);

    s.input = input;
    s.output = output;
    s.level = level;
    return s.Launch(runWorker) ? kStarted : kNoThread;
}

std::uint8_t DecodePoll() {
    return state().Poll();
}

std::uint8_t DecodeAbort() {
    return state().Abort();
}

std::uint8_t DecodeStatus() {
    return state().status.load(std::memory_order_acquire);
}

}  // namespace plova
