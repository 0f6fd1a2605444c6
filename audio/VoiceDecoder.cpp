#include "audio/VoiceDecoder.h"

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

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
struct DecoderState {
    std::atomic<std::uint8_t> status{kIdle};
    std::atomic<std::uint8_t> startRequest{0};
    std::atomic<std::uint8_t> stopRequest{0};
    // Written by DecodeStart before the worker exists; read only by the worker.
    std::int8_t level = 0;
    std::filesystem::path input;
    std::filesystem::path output;
    std::unique_ptr<G729Decoder> codec;
    std::thread worker;

    void stopWorker() {
        stopRequest.store(kRequest, std::memory_order_release);
        stopRequest.notify_all();
        if (worker.joinable()) worker.join();
    }

    ~DecoderState() { stopWorker(); }
};

DecoderState& State() {
    static DecoderState state;
    return state;
}

bool HasZeroWord(const std::uint8_t* frame) {
    for (std::size_t w = 0; w < kWordsPerFrame; ++w)
        if (frame[kWordBytes * w] == 0 && frame[kWordBytes * w + 1] == 0) return true;
    return false;
}

// One run of the worker, from its start request to its stop request.
class DecodeRun {
public:
    explicit DecodeRun(DecoderState& s) : s_(s) {}

    void run() {
        for (;;) {
            const std::uint8_t status = s_.status.load(std::memory_order_acquire);
            if (status == kWaitingForStart && s_.startRequest.load(std::memory_order_acquire) == kRequest) {
                s_.startRequest.store(0, std::memory_order_release);
                takeStart();
            }
            if (s_.status.load(std::memory_order_relaxed) == kDecoding) decodeBlock();
            if (s_.stopRequest.load(std::memory_order_acquire) == kRequest) {
                s_.stopRequest.store(0, std::memory_order_release);
                break;
            }
            idle();
        }
        input_.reset();
        writer_.abandon();
        s_.status.store(kIdle, std::memory_order_release);
    }

private:
    void setStatus(std::uint8_t v) { s_.status.store(v, std::memory_order_release); }

    // Finished or failed, the worker has nothing to do but wait to be stopped.
    void idle() {
        const std::uint8_t status = s_.status.load(std::memory_order_relaxed);
        if (status == kDecoding) return;
        if (status == kWaitingForStart) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        s_.stopRequest.wait(0, std::memory_order_acquire);
    }

    void takeStart() {
        if (!s_.codec)
            s_.codec = std::make_unique<G729Decoder>();
        else
            s_.codec->reset();
        gain_ = LevelGain(s_.level);
        input_ = openFileStream(s_.input, Access::Read);
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
            s_.codec->decode(std::span<const std::uint8_t, kFrameBytes>(frame, kFrameBytes), HasZeroWord(frame), pcm);
            ApplyLevel(pcm, gain_);
            // The first frame begins the file; a failed write closes it and ends the run.
            const std::uint8_t mode = writer_.isOpen() ? WavWriter::kAppend : WavWriter::kBeginAppend;
            if (writer_.write(mode, s_.output, pcm) != 0) {
                setStatus(kWriteFailed);
                return;
            }
        }
        if (last) finishFile();
    }

    // Patches the sizes. A file whose sizes cannot be patched is not complete,
    // and with no frame ever written there is no file to finish: both fail.
    void finishFile() { setStatus(writer_.write(WavWriter::kFinish, s_.output, {}) == 0 ? kFinished : kWriteFailed); }

    DecoderState& s_;
    FilePtr input_;
    WavWriter writer_;
    double gain_ = 1.0;
};

void RunWorker() {
    DecoderState& s = State();
    try {
        DecodeRun(s).run();
    } catch (...) {
        // The codec could not be set up; nothing was decoded. Wait to be stopped.
        s.status.store(kWriteFailed, std::memory_order_release);
        s.stopRequest.wait(0, std::memory_order_acquire);
        s.stopRequest.store(0, std::memory_order_release);
        s.status.store(kIdle, std::memory_order_release);
    }
}

}  // namespace

int DecodeStart(const std::filesystem::path& input, const std::filesystem::path& output, std::int8_t level) {
    DecoderState& s = State();
    // Claiming the decoder and marking the worker as running is one step, so two
    // callers can never both start, and a poll right after the start never sees
    // "idle" for a decoding that is about to begin.
    std::uint8_t expected = kIdle;
    if (!s.status.compare_exchange_strong(expected, kWaitingForStart, std::memory_order_acq_rel)) return kBusy;
    if (s.worker.joinable()) s.worker.join();

    const auto release = [&](int result) {
        s.status.store(kIdle, std::memory_order_release);
        return result;
    };
    // Neither name may block the caller or be written through: the input is
    // a regular file, the output a regular file or none, never a link.
    if (!openRegularFile(input, Access::Read) || !openForRewrite(output)) return release(kCannotOpenFiles);

    s.input = input;
    s.output = output;
    s.level = level;
    s.stopRequest.store(0, std::memory_order_relaxed);
    s.startRequest.store(kRequest, std::memory_order_release);
    try {
        s.worker = std::thread(RunWorker);
    } catch (const std::system_error&) {
        s.startRequest.store(0, std::memory_order_relaxed);
        return release(kNoThread);
    }
    return kStarted;
}

std::uint8_t DecodePoll() {
    DecoderState& s = State();
    std::uint8_t status = s.status.load(std::memory_order_acquire);
    if (status >= kFailedFirst && status <= kFailedLast) status = kFailed;
    if (status == kFinished || status == kFailed) s.stopWorker();
    return status;
}

std::uint8_t DecodeAbort() {
    DecoderState& s = State();
    const std::uint8_t status = s.status.load(std::memory_order_acquire);
    if (status == kIdle || status == kWaitingForStart) return status;
    s.stopWorker();
    return kAborted;
}

std::uint8_t DecodeStatus() {
    return State().status.load(std::memory_order_acquire);
}

}  // namespace plova
