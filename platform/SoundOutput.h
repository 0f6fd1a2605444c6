// The system's own sound output, where the program does not play through Qt
// Multimedia (Windows: the waveOut interface). 16-bit samples of one
// channel go to the default device in a ring of short blocks: the caller
// fills the next free block and queues it, and the device plays the blocks
// in turn. Not thread-safe: one thread fills and queues.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace plova {

class SoundOutput {
public:
    // The blocks in the ring, each a twentieth of a second: about a fifth of
    // a second is queued ahead, so a pause or a seek is heard at once.
    static constexpr std::size_t kBlocks = 4;
    static constexpr std::uint32_t kBlocksPerSecond = 20;

    // The default device opened for `rate` samples a second; null when no
    // device takes such sound (none there, or the rate refused).
    static std::unique_ptr<SoundOutput> Open(std::uint32_t rate);

    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // The next block when the device has played it (or never had it); empty
    // while every block waits to be played.
    std::span<std::int16_t> FreeBlock();
    // Hands the first `samples` of the block FreeBlock gave to the device.
    // False when the device refuses it (it has gone away).
    bool Queue(std::size_t samples);
    // Whether every queued block has been played.
    [[nodiscard]] bool Drained() const;
    void Pause();
    void Resume();

private:
    struct Device;
    explicit SoundOutput(std::unique_ptr<Device> device);
    std::unique_ptr<Device> device_;
};

}  // namespace plova
