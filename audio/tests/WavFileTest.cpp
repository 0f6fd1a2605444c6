#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <numeric>

#include "audio/WavFormat.h"
#include "audio/WavReader.h"
#include "audio/WavWriter.h"
#include "audio/testing/FileBytes.h"
#include "platform/testing/FileSizeLimit.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"

using namespace plova;
using namespace plova::testkit;
using namespace std::literals;

namespace {

std::vector<std::int16_t> ramp(std::size_t n) {
    std::vector<std::int16_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::int16_t>(i * 37 - 20000);
    return v;
}

std::vector<std::uint8_t> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

void append(std::vector<std::uint8_t>& v, std::string_view s) {
    v.insert(v.end(), s.begin(), s.end());
}

void appendLe32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

std::uint32_t le32At(const std::vector<std::uint8_t>& v, std::size_t at) {
    return GetLe32(v.data() + at);
}

class WavFile : public ::testing::Test {
protected:
    TempFolder dir{"wav-test"};
};

TEST_F(WavFile, OneSecondHasTheSizesOfTheFixedFormat) {
    const auto path = dir / "one.wav";
    const auto samples = ramp(8000);
    WavWriter w;
    ASSERT_EQ(w.Begin(path), 0);
    // Appended in frame-sized pieces, as the decoder does.
    for (std::size_t i = 0; i < samples.size(); i += 80) ASSERT_EQ(w.Append(std::span(samples).subspan(i, 80)), 0);
    ASSERT_EQ(w.Finish(), 0);
    EXPECT_FALSE(w.IsOpen());

    const auto file = ReadBytes(path);
    ASSERT_EQ(file.size(), 16044u);
    EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
    EXPECT_EQ(le32At(file, 4), 16036u);
    EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(le32At(file, 16), 16u);
    EXPECT_EQ(GetLe16(&file[20]), 1);
    EXPECT_EQ(GetLe16(&file[22]), 1);
    EXPECT_EQ(le32At(file, 24), 8000u);
    EXPECT_EQ(le32At(file, 28), 16000u);
    EXPECT_EQ(GetLe16(&file[32]), 2);
    EXPECT_EQ(GetLe16(&file[34]), 16);
    EXPECT_EQ(std::memcmp(file.data() + 36, "data", 4), 0);
    EXPECT_EQ(le32At(file, 40), 16000u);
    // Samples little-endian, in order.
    EXPECT_EQ(static_cast<std::int16_t>(GetLe16(&file[44])), samples[0]);
    EXPECT_EQ(static_cast<std::int16_t>(GetLe16(&file[44 + 2 * 7999])), samples[7999]);

    WavReader r;
    ASSERT_TRUE(r.Open(path));
    std::vector<std::int16_t> back(10000);
    ASSERT_EQ(r.Read(back), 8000);
    back.resize(8000);
    EXPECT_EQ(back, samples);
    EXPECT_EQ(r.Read(back), 0);
}

TEST_F(WavFile, FinishRightAfterBeginGivesAnEmptyValidFile) {
    const auto path = dir / "empty.wav";
    WavWriter w;
    ASSERT_EQ(w.Begin(path), 0);
    ASSERT_EQ(w.Finish(), 0);
    const auto file = ReadBytes(path);
    ASSERT_EQ(file.size(), 44u);
    EXPECT_EQ(le32At(file, 4), 36u);
    EXPECT_EQ(le32At(file, 40), 0u);
}

TEST_F(WavFile, ModeCallBeginsAppendsAndFinishes) {
    const auto path = dir / "modes.wav";
    const auto samples = ramp(240);
    WavWriter w;
    // Finish or append before any begin has no file to work on.
    EXPECT_NE(w.Write(WavWriter::kFinish, path, {}), 0);
    EXPECT_NE(w.Write(WavWriter::kAppend, path, samples), 0);
    EXPECT_FALSE(std::filesystem::exists(path));

    ASSERT_EQ(w.Write(WavWriter::kBeginAppend, path, std::span(samples).first(80)), 0);
    ASSERT_EQ(w.Write(WavWriter::kAppend, path, std::span(samples).subspan(80, 80)), 0);
    ASSERT_EQ(w.Write(WavWriter::kFinish, path, std::span(samples).last(80)), 0);
    EXPECT_EQ(w.SampleCount(), 240u);
    const auto file = ReadBytes(path);
    EXPECT_EQ(file.size(), 44u + 480u);
    EXPECT_EQ(le32At(file, 40), 480u);
    EXPECT_NE(w.Write(7, path, samples), 0) << "an unknown mode";
}

TEST_F(WavFile, BeginReplacesAnExistingFile) {
    const auto path = dir / "old.wav";
    WriteBytes(path, std::vector<std::uint8_t>(5000, 0x55));
    WavWriter w;
    ASSERT_EQ(w.Begin(path), 0);
    ASSERT_EQ(w.Finish(ramp(10)), 0);
    EXPECT_EQ(ReadBytes(path).size(), 64u);
}

TEST_F(WavFile, AWriteThatFailsIsReportedAndTheSizesStayInitial) {
    if (!FileSizeLimit::kAvailable) GTEST_SKIP() << kNoFileSizeLimit;
    const auto path = dir / "full.wav";
    const auto samples = ramp(8000);
    {
        // Fits the buffered stream but not the disk: the failure shows at finish.
        FileSizeLimit limit(20000);
        WavWriter w;
        ASSERT_EQ(w.Begin(path), 0);
        ASSERT_EQ(w.Append(samples), 0);
        ASSERT_EQ(w.Append(samples), 0);
        EXPECT_NE(w.Finish(), 0);
        EXPECT_FALSE(w.IsOpen());
    }
    auto file = ReadBytes(path);
    ASSERT_GE(file.size(), 44u);
    EXPECT_EQ(le32At(file, 4), 36u);
    EXPECT_EQ(le32At(file, 40), 0u);

    {
        // Far more than the stream buffer: the append itself fails and closes the file.
        FileSizeLimit limit(20000);
        WavWriter w;
        ASSERT_EQ(w.Begin(path), 0);
        int failed = 0;
        for (int i = 0; i < 20 && failed == 0; ++i) failed = w.Append(samples);
        EXPECT_NE(failed, 0);
        EXPECT_FALSE(w.IsOpen());
        EXPECT_NE(w.Finish(), 0);
    }
    file = ReadBytes(path);
    EXPECT_EQ(le32At(file, 4), 36u);
    EXPECT_EQ(le32At(file, 40), 0u);
}

// A name that is not a plain file of its own is refused at once: nothing is
// written through a link, and a pipe does not hold the writer.
TEST_F(WavFile, BeginRefusesLinksPipesAndSecondNames) {
    const auto other = dir / "other.bin";
    struct Case {
        const char* what;
        std::function<bool(const std::filesystem::path&)> make;  // false: not on this system
    };
    const Case cases[] = {
        {"a link", [&](const auto& p) { return MakeSymlink(other, p); }},
        {"a dangling link", [&](const auto& p) { return MakeSymlink(dir / "nowhere", p); }},
        {"a pipe", [](const auto& p) { return MakeFifo(p); }},
        {"a second name", [&](const auto& p) { return MakeHardLink(other, p); }},
        {"a folder", [](const auto& p) { return std::filesystem::create_directory(p); }},
    };
    int made = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(other, bytes("precious"));
        const auto path = dir / "x.wav";
        if (!c.make(path)) continue;  // links and pipes where the system has them
        ++made;
        WavWriter w;
        EXPECT_NE(w.Begin(path), 0);
        EXPECT_FALSE(w.IsOpen());
        EXPECT_EQ(ReadBytes(other), bytes("precious"));
        EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
        std::filesystem::remove_all(path);
    }
    EXPECT_GE(made, 2);
}

TEST_F(WavFile, BeginFailsWhereNoFileCanBeMade) {
    WavWriter w;
    EXPECT_NE(w.Begin(dir / "no-such-folder" / "x.wav"), 0);
    EXPECT_FALSE(w.IsOpen());
}

// ------------------------------------------------------------ chunk search

TEST_F(WavFile, ChunkSearchFindsIdentifiersOnlyAtEvenDistances) {
    const auto path = dir / "search.bin";
    WriteBytes(path, bytes("xdataYdata!!"));  // at 1 (odd), at 6 (even)
    FilePtr f = OpenFileStream(path, Access::Read);
    ASSERT_TRUE(FindChunk(f.get(), wav::kData));
    EXPECT_EQ(std::ftell(f.get()), 10);

    // From an odd start position the distances change with it.
    ASSERT_EQ(std::fseek(f.get(), 1, SEEK_SET), 0);
    ASSERT_TRUE(FindChunk(f.get(), wav::kData));
    EXPECT_EQ(std::ftell(f.get()), 5);
}

TEST_F(WavFile, ChunkSearchSeesTheFirstTwoBytesAgainstZeros) {
    const auto path = dir / "zeros.bin";
    WriteBytes(path, std::vector<std::uint8_t>{'t', 'a', 0, 0});
    FilePtr f = OpenFileStream(path, Access::Read);
    const wav::ChunkId zeroTa{0, 0, 't', 'a'};
    ASSERT_TRUE(FindChunk(f.get(), zeroTa));
    EXPECT_EQ(std::ftell(f.get()), 2);
}

TEST_F(WavFile, ChunkSearchFailsAtTheEnd) {
    const auto path = dir / "short.bin";
    WriteBytes(path, bytes("data"));
    FilePtr f = OpenFileStream(path, Access::Read);
    ASSERT_TRUE(FindChunk(f.get(), wav::kData));
    EXPECT_FALSE(FindChunk(f.get(), wav::kData));
    WriteBytes(path, bytes("dat"));  // the last odd byte is never a pair
    f = OpenFileStream(path, Access::Read);
    EXPECT_FALSE(FindChunk(f.get(), wav::kData));
}

// ---------------------------------------------------- probe and reader

// RIFF header, a LIST chunk, then "fmt " and "data" with `data` bytes, then `tail`.
std::vector<std::uint8_t> wavWithListFirst(const std::vector<std::uint8_t>& data, std::string_view tail = "") {
    std::vector<std::uint8_t> v;
    append(v, "RIFF");
    appendLe32(v, 0);
    append(v, "WAVELIST");
    appendLe32(v, 6);
    append(v, "INFOab");
    const auto h = MakeWavHeader(static_cast<std::uint32_t>(data.size()));
    v.insert(v.end(), h.begin() + 12, h.end());
    v.insert(v.end(), data.begin(), data.end());
    append(v, tail);
    return v;
}

TEST_F(WavFile, ProbeFindsTheFormatBehindOtherChunks) {
    const auto path = dir / "list.wav";
    WriteBytes(path, wavWithListFirst({}));
    const auto fmt = ReadWavFormat(path);
    ASSERT_TRUE(fmt.has_value());
    EXPECT_EQ(fmt->chunkSize, 16u);
    EXPECT_EQ(fmt->formatTag, 1);
    EXPECT_EQ(fmt->channels, 1);
    EXPECT_EQ(fmt->samplesPerSecond, 8000u);
    EXPECT_EQ(fmt->bytesPerSecond, 16000u);
    EXPECT_EQ(fmt->blockAlign, 2);
    EXPECT_EQ(fmt->bitsPerSample, 16);
    EXPECT_TRUE(fmt->IsCodecFormat());

    WavFormat stereo;
    stereo.channels = 2;
    stereo.samplesPerSecond = 44100;
    const auto h = MakeWavHeader(0, stereo);
    WriteBytes(path, {h.begin(), h.end()});
    const auto probed = ReadWavFormat(path);
    ASSERT_TRUE(probed.has_value());
    EXPECT_EQ(probed->channels, 2);
    EXPECT_EQ(probed->blockAlign, 4);
    EXPECT_EQ(probed->bytesPerSecond, 176400u);
    EXPECT_FALSE(probed->IsCodecFormat());
}

TEST_F(WavFile, ProbeFailsWithoutAFormat) {
    EXPECT_FALSE(ReadWavFormat(dir / "missing.wav").has_value());
    WriteBytes(dir / "nofmt.wav", bytes("RIFF....WAVEdata...."));
    EXPECT_FALSE(ReadWavFormat(dir / "nofmt.wav").has_value());
    WriteBytes(dir / "cut.wav", bytes("RIFF....WAVEfmt \x10\0\0\0\x01"sv));
    EXPECT_FALSE(ReadWavFormat(dir / "cut.wav").has_value());
}

TEST_F(WavFile, ReaderReadsPastTheDataChunkToTheEnd) {
    const auto path = dir / "tail.wav";
    // Four bytes of data, then a chunk "abcd" of 0 bytes, then one odd byte.
    WriteBytes(path, wavWithListFirst({1, 0, 2, 0}, std::string_view("abcd\0\0\0\0Z", 9)));
    WavReader r;
    ASSERT_TRUE(r.Open(path));
    std::vector<std::int16_t> buf(3);
    ASSERT_EQ(r.Read(buf), 3);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(buf[1], 2);
    EXPECT_EQ(buf[2], static_cast<std::int16_t>('a' | ('b' << 8)));
    ASSERT_EQ(r.Read(buf), 3);  // "cd", then the zero size
    ASSERT_EQ(r.Read(buf), 0);  // the odd byte is not a sample
}

TEST_F(WavFile, ReaderRefusesFilesWithoutData) {
    WavReader r;
    EXPECT_FALSE(r.Open(dir / "missing.wav"));
    WriteBytes(dir / "nodata.wav", bytes("RIFF....WAVEfmt xxxxxxxx"));
    EXPECT_FALSE(r.Open(dir / "nodata.wav"));
    EXPECT_FALSE(r.IsOpen());
    std::vector<std::int16_t> buf(4);
    EXPECT_EQ(r.Read(buf), -1);
}

}  // namespace
