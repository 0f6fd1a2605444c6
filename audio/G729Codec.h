// The speech codec: G.729 Annex A, 80 samples (10 ms at 8 kHz) to a 10-byte
// frame and back, with the standard bit packing (most significant bit first).
// Exactly four calls are used: reset and encode, reset and decode.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace plova {

constexpr std::size_t kFrameSamples = 80;
constexpr std::size_t kFrameBytes = 10;

class G729Encoder {
public:
    G729Encoder();
    ~G729Encoder();
    G729Encoder(const G729Encoder&) = delete;
    G729Encoder& operator=(const G729Encoder&) = delete;

    // Back to the initial state, as before the first frame of a new stream.
    void Reset();
    void Encode(std::span<const std::int16_t, kFrameSamples> pcm, std::span<std::uint8_t, kFrameBytes> frame);

private:
    struct Impl;
    Impl* impl_;
};

class G729Decoder {
public:
    G729Decoder();
    ~G729Decoder();
    G729Decoder(const G729Decoder&) = delete;
    G729Decoder& operator=(const G729Decoder&) = delete;

    void Reset();
    // `erased` marks a lost frame: the decoder conceals it from its history.
    void Decode(std::span<const std::uint8_t, kFrameBytes> frame, bool erased,
                std::span<std::int16_t, kFrameSamples> pcm);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace plova
