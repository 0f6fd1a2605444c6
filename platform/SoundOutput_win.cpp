#include "platform/SoundOutput.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <vector>

namespace plova {

struct SoundOutput::Device {
    HWAVEOUT handle = nullptr;
    std::array<WAVEHDR, kBlocks> headers{};
    std::vector<std::int16_t> memory;
    std::size_t blockSamples = 0;
    std::size_t next = 0;  // the block filled and queued next

    // The device writes a header's flags from its own thread.
    [[nodiscard]] bool waiting(const WAVEHDR& h) const {
        return (static_cast<const volatile DWORD&>(h.dwFlags) & WHDR_INQUEUE) != 0;
    }

    ~Device() {
        if (!handle) return;
        waveOutReset(handle);  // every queued block comes back at once
        for (WAVEHDR& h : headers)
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(handle, &h, sizeof h);
        waveOutClose(handle);
    }
};

std::unique_ptr<SoundOutput> SoundOutput::Open(std::uint32_t rate) {
    if (rate == 0) return nullptr;
    auto device = std::make_unique<Device>();
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = rate * 2;
    if (waveOutOpen(&device->handle, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        device->handle = nullptr;
        return nullptr;
    }
    device->blockSamples = std::max<std::size_t>(1, rate / kBlocksPerSecond);
    device->memory.assign(device->blockSamples * kBlocks, 0);
    for (std::size_t i = 0; i < kBlocks; ++i) {
        WAVEHDR& h = device->headers[i];
        h.lpData = reinterpret_cast<LPSTR>(device->memory.data() + i * device->blockSamples);
        h.dwBufferLength = static_cast<DWORD>(device->blockSamples * 2);
        if (waveOutPrepareHeader(device->handle, &h, sizeof h) != MMSYSERR_NOERROR) return nullptr;
    }
    return std::unique_ptr<SoundOutput>(new SoundOutput(std::move(device)));
}

SoundOutput::SoundOutput(std::unique_ptr<Device> device) : device_(std::move(device)) {}

SoundOutput::~SoundOutput() = default;

std::span<std::int16_t> SoundOutput::FreeBlock() {
    Device& d = *device_;
    if (d.waiting(d.headers[d.next])) return {};
    return {d.memory.data() + d.next * d.blockSamples, d.blockSamples};
}

bool SoundOutput::Queue(std::size_t samples) {
    Device& d = *device_;
    WAVEHDR& h = d.headers[d.next];
    if (d.waiting(h) || samples == 0 || samples > d.blockSamples) return false;
    h.dwBufferLength = static_cast<DWORD>(samples * 2);
    h.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    if (waveOutWrite(d.handle, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    d.next = (d.next + 1) % kBlocks;
    return true;
}

bool SoundOutput::Drained() const {
    for (const WAVEHDR& h : device_->headers)
        if (device_->waiting(h)) return false;
    return true;
}

void SoundOutput::Pause() {
    waveOutPause(device_->handle);
}

void SoundOutput::Resume() {
    waveOutRestart(device_->handle);
}

}  // namespace plova
