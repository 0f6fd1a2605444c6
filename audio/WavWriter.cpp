#include "audio/WavWriter.h"

#include <bit>
#include <vector>

namespace plova {

namespace {
constexpr int kOk = 0;
constexpr int kFailed = -1;
// Samples arrive 80 at a time; a larger stream buffer keeps the writes few.
constexpr std::size_t kStreamBuffer = std::size_t{64} * 1024;
}  // namespace

int WavWriter::Begin(const std::filesystem::path& path) {
    Abandon();
    path_ = path;
    count_ = 0;
    // The one descriptor serves from the header to the patched sizes, so the
    // name is looked up once: a link, pipe or device put there is refused
    // rather than written through, and a file with a second name (whose other
    // name would lose its content too) is left alone.
    FilePtr f = StreamOf(OpenForRewrite(path), "w+b");
    if (!f) return kFailed;
    // A stream takes a buffer of its own only before its first read or write.
    buffer_ = std::make_unique<char[]>(kStreamBuffer);
    std::setvbuf(f.get(), buffer_.get(), _IOFBF, kStreamBuffer);
    const auto header = MakeWavHeader(0);
    // The empty header reaches the disk first: a file that fails later still
    // states sizes 36 and 0.
    if (std::fwrite(header.data(), 1, header.size(), f.get()) != header.size() || std::fflush(f.get()) != 0 ||
        std::fseek(f.get(), 0, SEEK_SET) != 0 || !FindChunk(f.get(), wav::kData) ||
        std::fseek(f.get(), 4, SEEK_CUR) != 0) {
        buffer_.reset();
        return kFailed;
    }
    file_ = std::move(f);
    return kOk;
}

int WavWriter::Append(std::span<const std::int16_t> samples) {
    if (!file_) return kFailed;
    if (samples.empty()) return kOk;
    // A RIFF file cannot describe more than 4 GiB: refuse rather than wrap the sizes.
    if ((std::uint64_t{count_} + samples.size()) * 2 > wav::kMaxDataBytes) {
        Abandon();
        return kFailed;
    }
    std::size_t written;
    if constexpr (std::endian::native == std::endian::little) {
        written = std::fwrite(samples.data(), 2, samples.size(), file_.get());
    } else {
        std::vector<std::uint8_t> le(samples.size() * 2);
        for (std::size_t i = 0; i < samples.size(); ++i) PutLe16(&le[2 * i], static_cast<std::uint16_t>(samples[i]));
        written = std::fwrite(le.data(), 2, samples.size(), file_.get());
    }
    if (written != samples.size()) {
        Abandon();
        return kFailed;
    }
    count_ += static_cast<std::uint32_t>(samples.size());
    return kOk;
}

int WavWriter::Finish(std::span<const std::int16_t> samples) {
    if (!file_ || Append(samples) != kOk) return kFailed;
    std::FILE* f = file_.get();
    // Buffered samples reach the disk here: a full disk shows up as a failed flush.
    if (std::fflush(f) != 0) {
        Abandon();
        return kFailed;
    }
    std::uint8_t size[4];
    PutLe32(size, 2 * count_ + wav::kRiffSizeOverData);
    bool ok = std::fseek(f, 4, SEEK_SET) == 0 && std::fwrite(size, 1, 4, f) == 4;
    // Switching from writing to reading (and back) needs a seek in between.
    ok = ok && std::fseek(f, 0, SEEK_CUR) == 0 && FindChunk(f, wav::kData) && std::fseek(f, 0, SEEK_CUR) == 0;
    PutLe32(size, 2 * count_);
    ok = ok && std::fwrite(size, 1, 4, f) == 4;
    const bool closed = std::fclose(file_.release()) == 0;
    buffer_.reset();
    return ok && closed ? kOk : kFailed;
}

int WavWriter::Write(std::uint8_t mode, const std::filesystem::path& path, std::span<const std::int16_t> samples) {
    switch (mode) {
    case kBeginAppend: return Begin(path) == kOk ? Append(samples) : kFailed;
    case kAppend: return Append(samples);
    case kFinish: return Finish(samples);
    default: return kFailed;
    }
}

void WavWriter::Abandon() {
    file_.reset();
    buffer_.reset();
}

}  // namespace plova
