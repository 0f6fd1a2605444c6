#include "audio/WaveRenderer.h"

namespace plova {

namespace {
// Readable by others where the file mode mask lets them, as a media file is.
constexpr unsigned kNewFileMode = 0644;
}  // namespace

WaveRenderer::~WaveRenderer() {
    close();
}

void WaveRenderer::close() {
    file_.Close();
}

bool WaveRenderer::Create(const std::filesystem::path& path) {
    close();
    count_ = 0;
    end_ = 0;
    // Made here, never opened: a file, pipe or link that someone left under
    // the name (a hard link to a file of the user's among them) fails the
    // conversion instead of being written through or waited on.
    file_ = CreateNewFile(path);
    if (!file_) return false;
    file_.SetPermissions(kNewFileMode & UsualFileMode());
    return true;
}

bool WaveRenderer::writeAt(std::uint64_t offset, const void* bytes, std::size_t length) {
    return file_.WriteAllAt(offset, bytes, length);
}

bool WaveRenderer::BeginStream(std::uint16_t channels, std::uint32_t samplesPerSecond, std::uint16_t bitsPerSample) {
    if (!file_) return false;
    WavFormat format;
    format.channels = channels;
    format.samplesPerSecond = samplesPerSecond;
    format.bitsPerSample = bitsPerSample;
    const auto header = MakeWavHeader(count_, format);
    if (!writeAt(0, header.data(), header.size())) {
        close();
        return false;
    }
    end_ = header.size() + std::uint64_t{count_};
    return true;
}

bool WaveRenderer::Receive(const void* bytes, std::size_t length) {
    if (!file_) return false;
    // The data size is a 32-bit field: a stream that would overflow it fails.
    if (std::uint64_t{count_} + length > wav::kMaxDataBytes || !writeAt(end_, bytes, length)) {
        close();
        return false;
    }
    end_ += length;
    count_ += static_cast<std::uint32_t>(length);
    return true;
}

bool WaveRenderer::EndStream() {
    if (!file_) return false;
    std::uint8_t riff[4];
    std::uint8_t data[4];
    PutLe32(riff, count_ + wav::kRiffSizeOverData);
    PutLe32(data, count_);
    const bool ok = writeAt(wav::kRiffSizeAt, riff, 4) && writeAt(wav::kDataSizeAt, data, 4);
    const bool closed = file_.CloseChecked();
    return ok && closed;
}

}  // namespace plova
