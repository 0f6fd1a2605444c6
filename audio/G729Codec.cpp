#include "audio/G729Codec.h"

#include <stdexcept>

extern "C" {
#include <bcg729/decoder.h>
#include <bcg729/encoder.h>
}

namespace plova {

struct G729Encoder::Impl {
    bcg729EncoderChannelContextStruct* ctx = nullptr;
};

G729Encoder::G729Encoder() : impl_(new Impl) {
    Reset();
}

G729Encoder::~G729Encoder() {
    if (impl_->ctx) closeBcg729EncoderChannel(impl_->ctx);
    delete impl_;
}

void G729Encoder::Reset() {
    if (impl_->ctx) closeBcg729EncoderChannel(impl_->ctx);
    impl_->ctx = initBcg729EncoderChannel(0);  // no voice activity detection: every frame is speech
    if (!impl_->ctx) throw std::bad_alloc();
}

void G729Encoder::Encode(std::span<const std::int16_t, kFrameSamples> pcm, std::span<std::uint8_t, kFrameBytes> frame) {
    std::uint8_t length = 0;
    bcg729Encoder(impl_->ctx, pcm.data(), frame.data(), &length);
}

struct G729Decoder::Impl {
    bcg729DecoderChannelContextStruct* ctx = nullptr;
};

G729Decoder::G729Decoder() : impl_(new Impl) {
    Reset();
}

G729Decoder::~G729Decoder() {
    if (impl_->ctx) closeBcg729DecoderChannel(impl_->ctx);
    delete impl_;
}

void G729Decoder::Reset() {
    if (impl_->ctx) closeBcg729DecoderChannel(impl_->ctx);
    impl_->ctx = initBcg729DecoderChannel();
    if (!impl_->ctx) throw std::bad_alloc();
}

void G729Decoder::Decode(std::span<const std::uint8_t, kFrameBytes> frame, bool erased,
                         std::span<std::int16_t, kFrameSamples> pcm) {
    bcg729Decoder(impl_->ctx, frame.data(), static_cast<std::uint8_t>(kFrameBytes), erased ? 1 : 0, 0, 0, pcm.data());
}

}  // namespace plova
