// The head of a local message file: the 990-byte status record and the
// 256-byte recording block behind it, read from bytes and from a file of a
// box folder and of the response folder. Reading must never fail hard, and
// what is written back must read back the same.
#include <algorithm>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "store/CFileMng.h"

using namespace plova;
namespace fs = std::filesystem;

namespace {

bool outsideBlockFields(std::size_t i) {
    auto in = [i](std::size_t at, std::size_t size) { return i >= at && i < at + size; };
    return !in(block::kMagicOffset, block::kMagicSize) && !in(block::kDateOffset, block::kDateSize) &&
           !in(block::kPartyNameOffset, block::kPartyNameSize) &&
           !in(block::kPartyNumberOffset, block::kPartyNumberSize) && !in(block::kFlagsOffset, 1) &&
           !in(block::kTenthsOffset, 4) && !in(block::kBoxNumberOffset, 2) &&
           !in(block::kBoxDigitsOffset, block::kBoxDigitsSize);
}

void checkRecordRoundTrip(std::string_view bytes) {
    const FILESTS_INFO read = FILESTS_INFO::FromBytes(bytes);
    const StatusRecordBytes written = read.ToBytes();
    const FILESTS_INFO again =
        FILESTS_INFO::FromBytes(std::string_view(reinterpret_cast<const char*>(written.data()), written.size()));
    FUZZ_CHECK(again == read.Fitted());
    FUZZ_CHECK(again.ToBytes() == written);
    DownloadStateText(read.downloadState);
    DownloadStateLongText(read.downloadState);
}

void checkBlockRoundTrip(std::string_view bytes) {
    BlockBytes over{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), over.size()), over.begin());
    const RecordingBlock read = ParseBlock(bytes);
    const BlockBytes written = BuildBlock(read, over);
    RecordingBlock again = ParseBlock(std::string_view(reinterpret_cast<const char*>(written.data()), written.size()));
    FUZZ_CHECK(again.hasMagic);
    again.hasMagic = read.hasMagic;
    FUZZ_CHECK(again.dateText == read.dateText && again.partyName == read.partyName &&
               again.partyNumber == read.partyNumber && again.played == read.played &&
               again.isProtected == read.isProtected && again.recordingTenths == read.recordingTenths &&
               again.boxNumber == read.boxNumber && again.boxDigits == read.boxDigits);
    for (std::size_t i = 0; i < block::kSize; ++i)
        if (outsideBlockFields(i)) FUZZ_CHECK(written[i] == over[i]);
    // Bits of the flag byte that are not ours stay as received.
    FUZZ_CHECK((written[block::kFlagsOffset] & 0xFC) == (over[block::kFlagsOffset] & 0xFC));

    CFileMng::FormatRecordingTime(read.recordingTenths);
    CFileMng::MendPartyName(read.partyName);
    const std::u16string date = CFileMng::FormatBlockDate(read.dateText);
    FUZZ_CHECK(date.empty() || date.size() == 16);
}

// The whole input as a message file: read the way a folder is loaded.
void checkAsFile(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    fuzz::WriteFile(file, bytes);
    FILESTS_INFO record;
    const bool hasRecord = CFileMng::ReadStatusRecord(file, record);
    FUZZ_CHECK(hasRecord == (bytes.size() >= filests::kSize));
    const bool valid = CFileMng::IsValidMessageFile(file);
    FUZZ_CHECK(!valid || bytes.size() >= store::kMinMessageFileSize);
    std::vector<FILESTS_INFO> records;
    FUZZ_CHECK(CFileMng::LoadFolderRecords(file.parent_path(), records));
    FUZZ_CHECK(records.size() == (valid ? 1u : 0u));
    CFileMng::HasStatusRecord(file);
    fs::remove(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = fuzz::AsText(data, size);
    checkRecordRoundTrip(in);
    checkBlockRoundTrip(in.substr(std::min(in.size(), store::kBlockOffset)));
    // The block alone, as a ".vminf" of the main unit starts.
    checkBlockRoundTrip(in);

    const fs::path& root = fuzz::ScratchFolder();
    checkAsFile(root / "rusuroku" / "0001" / "202612071405_001_0001_00001.vmdat", in);
    checkAsFile(root / "outou" / "202612071405_001_A010_0001.vmdat", in);
    return 0;
}
