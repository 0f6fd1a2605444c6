#include "audio/MediaConversion.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "audio/WaveRenderer.h"
#include "platform/Text.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace plova {

namespace {

constexpr auto kPollWait = std::chrono::milliseconds(1);
constexpr std::uint16_t kSupportedBits = 16;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr const char* kFileProtocol = "file:";
constexpr const char* kLocalFilesOnly = "file";

// FFmpeg writes its complaints about damaged files to stderr; ours are the
// results we return.
void quietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct ResamplerCloser {
    void operator()(SwrContext* c) const { swr_free(&c); }
};
struct PacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameCloser {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerCloser>;
using PacketPtr = std::unique_ptr<AVPacket, PacketCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameCloser>;

// The user's file is a local file, whatever its name says: a name such as
// "concat:a.mp3|b.mp3" or "http://…" is opened as a file of that name, and
// nothing it holds (a playlist, say) may reach any other protocol.
FormatPtr openInput(const std::filesystem::path& file) {
    quietLibraries();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", kLocalFilesOnly, 0);
    // FFmpeg takes a name's bytes on Linux and UTF-8 on Windows: what Utf8Of gives on each.
    const std::string url = std::string(kFileProtocol) + Utf8Of(file);
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, url.c_str(), nullptr, &options);
    av_dict_free(&options);  // what it did not take
    if (opened < 0) return nullptr;
    FormatPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) return nullptr;
    return format;
}

// The best audio stream with a decoder FFmpeg has; -1 when there is none.
int bestAudioStream(AVFormatContext* format, const AVCodec** decoder) {
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, decoder, 0);
    return index >= 0 && *decoder != nullptr ? index : -1;
}

}  // namespace

std::optional<std::int64_t> ProbeAudioMicroseconds(const std::filesystem::path& file) {
    FormatPtr format = openInput(file);
    if (!format) return std::nullopt;
    const AVCodec* decoder = nullptr;
    const int index = bestAudioStream(format.get(), &decoder);
    if (index < 0) return std::nullopt;
    const AVStream* stream = format->streams[index];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration >= 0)
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, kMicrosPerSecond});
    if (format->duration != AV_NOPTS_VALUE && format->duration >= 0)
        return av_rescale_q(format->duration, AV_TIME_BASE_Q, AVRational{1, kMicrosPerSecond});
    return std::nullopt;
}

struct MediaConversion::Impl {
    FormatPtr format;
    CodecPtr decoder;
    ResamplerPtr resampler;
    int streamIndex = -1;
    WaveRenderer renderer;
    AVChannelLayout outLayout{};
    std::uint32_t outRate = 0;
    std::uint64_t maxSamples = 0;  // 0: no limit
    std::uint64_t samples = 0;

    // What the resampler was set up for; a decoder may change its output midway.
    AVChannelLayout inLayout{};
    int inFormat = -1;
    int inRate = 0;

    std::vector<std::int16_t> out;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable done;
    int result = media::kRunning;

    ~Impl() {
        av_channel_layout_uninit(&outLayout);
        av_channel_layout_uninit(&inLayout);
    }

    void Finish(int value) {
        std::lock_guard lock(mutex);
        result = value;
        done.notify_all();
    }

    bool SetUpResampler(const AVFrame* frame) {
        AVChannelLayout layout{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels == 0) {
            const int channels =
                frame->ch_layout.nb_channels > 0 ? frame->ch_layout.nb_channels : decoder->ch_layout.nb_channels;
            if (channels <= 0) return false;
            av_channel_layout_default(&layout, channels);
        } else if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0) {
            return false;
        }
        if (resampler && frame->format == inFormat && frame->sample_rate == inRate &&
            av_channel_layout_compare(&layout, &inLayout) == 0) {
            av_channel_layout_uninit(&layout);
            return true;
        }
        if (resampler && !DrainResampler()) {
            av_channel_layout_uninit(&layout);
            return false;
        }
        SwrContext* raw = nullptr;
        const int made =
            swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, static_cast<int>(outRate), &layout,
                                static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
        ResamplerPtr fresh(raw);
        if (made < 0 || swr_init(fresh.get()) < 0) {
            av_channel_layout_uninit(&layout);
            return false;
        }
        resampler = std::move(fresh);
        av_channel_layout_uninit(&inLayout);
        inLayout = layout;
        inFormat = frame->format;
        inRate = frame->sample_rate;
        return true;
    }

    // Resamples `count` input samples (none: flush) and hands the result to the renderer.
    bool Render(const std::uint8_t** input, int count) {
        const int room = swr_get_out_samples(resampler.get(), count);
        if (room < 0) return false;
        const std::size_t channels = static_cast<std::size_t>(outLayout.nb_channels);
        if (out.size() < static_cast<std::size_t>(room) * channels)
            out.resize(static_cast<std::size_t>(room) * channels);
        auto* target = reinterpret_cast<std::uint8_t*>(out.data());
        const int made = swr_convert(resampler.get(), &target, room, input, count);
        if (made < 0) return false;
        samples += static_cast<std::uint64_t>(made);
        if (maxSamples != 0 && samples > maxSamples) return false;
        return renderer.Receive(out.data(), static_cast<std::size_t>(made) * channels * sizeof(std::int16_t));
    }

    bool DrainResampler() { return Render(nullptr, 0); }

    bool TakeFrames(AVFrame* frame) {
        for (;;) {
            const int got = avcodec_receive_frame(decoder.get(), frame);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
            if (got < 0) return true;  // a damaged frame is skipped, as players do
            const bool ok = SetUpResampler(frame) &&
                            Render(const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame);
            if (!ok) return false;
        }
    }

    int Run() {
        PacketPtr packet(av_packet_alloc());
        FramePtr frame(av_frame_alloc());
        if (!packet || !frame) return media::kFailed;
        for (;;) {
            if (stop.load(std::memory_order_acquire)) return media::kFailed;
            const int read = av_read_frame(format.get(), packet.get());
            if (read < 0) break;  // the end, or nothing more that can be read
            if (packet->stream_index == streamIndex) {
                // A damaged packet is skipped; the rest of the stream still counts.
                avcodec_send_packet(decoder.get(), packet.get());
                av_packet_unref(packet.get());
                if (!TakeFrames(frame.get())) return media::kFailed;
            } else {
                av_packet_unref(packet.get());
            }
        }
        avcodec_send_packet(decoder.get(), nullptr);
        if (!TakeFrames(frame.get())) return media::kFailed;
        if (resampler && !DrainResampler()) return media::kFailed;
        // A stream that gives no sound at all is not a conversion.
        if (samples == 0) return media::kFailed;
        return renderer.EndStream() ? media::kCompleted : media::kFailed;
    }
};

MediaConversion::MediaConversion() = default;

MediaConversion::~MediaConversion() {
    End();
}

bool MediaConversion::Exists() const {
    return impl_ != nullptr;
}

int MediaConversion::Start(const std::filesystem::path& input, const std::filesystem::path& output,
                           std::uint16_t channels, std::uint32_t samplesPerSecond, std::uint16_t bitsPerSample,
                           double maxSeconds) {
    End();
    if (bitsPerSample != kSupportedBits || channels == 0 || samplesPerSecond == 0) return media::kStartFailed;
    auto impl = std::make_unique<Impl>();
    impl->format = openInput(input);
    if (!impl->format) return media::kStartFailed;
    const AVCodec* codec = nullptr;
    impl->streamIndex = bestAudioStream(impl->format.get(), &codec);
    if (impl->streamIndex < 0) return media::kStartFailed;
    // Only the audio is read; every other stream's packets are dropped at the demuxer.
    for (unsigned i = 0; i < impl->format->nb_streams; ++i)
        if (static_cast<int>(i) != impl->streamIndex) impl->format->streams[i]->discard = AVDISCARD_ALL;
    impl->decoder.reset(avcodec_alloc_context3(codec));
    if (!impl->decoder ||
        avcodec_parameters_to_context(impl->decoder.get(), impl->format->streams[impl->streamIndex]->codecpar) < 0 ||
        avcodec_open2(impl->decoder.get(), codec, nullptr) < 0) {
        return media::kStartFailed;
    }
    av_channel_layout_default(&impl->outLayout, channels);
    impl->outRate = samplesPerSecond;
    if (maxSeconds > 0) impl->maxSamples = static_cast<std::uint64_t>((maxSeconds + 1) * samplesPerSecond);
    if (!impl->renderer.Create(output) || !impl->renderer.BeginStream(channels, samplesPerSecond, bitsPerSample))
        return media::kStartFailed;
    Impl* running = impl.get();
    try {
        impl->thread = std::thread([running] { running->Finish(running->Run()); });
    } catch (const std::system_error&) {
        return media::kStartFailed;
    }
    impl_ = std::move(impl);
    return media::kStarted;
}

int MediaConversion::Poll() {
    if (!impl_) return media::kFailed;
    int result;
    {
        std::unique_lock lock(impl_->mutex);
        impl_->done.wait_for(lock, kPollWait, [&] { return impl_->result != media::kRunning; });
        result = impl_->result;
    }
    if (result != media::kRunning) End();
    return result;
}

void MediaConversion::End() {
    if (!impl_) return;
    impl_->stop.store(true, std::memory_order_release);
    if (impl_->thread.joinable()) impl_->thread.join();
    impl_.reset();
}

}  // namespace plova
