// Builders of box folders and message files for the tests of store/ and of
// the programs above it. Files are written the way the main unit delivers
// them (block, block + speech) or as this program stores them (record first),
// in the TempFolder a test makes for them.
#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "platform/testing/FileBytes.h"
#include "platform/testing/TempFolder.h"
#include "store/CFileMng.h"
#include "store/FILESTS_INFO.h"
#include "store/RecordingBlock.h"

namespace plova::testkit {

inline std::string BytesOf(const BlockBytes& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}
inline std::string BytesOf(const StatusRecordBytes& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// A block as the main unit writes it for an ordinary box message.
inline RecordingBlock SampleBlock() {
    RecordingBlock b;
    b.dateText = "Mon, 7 Dec 2026 14:05:33 +0900";
    b.partyName = "\x83\x65\x83\x58\x83\x67";  // テスト
    b.partyNumber = "0312345678";
    b.recordingTenths = 1234;
    b.boxNumber = 12;
    b.boxDigits = "0012";
    return b;
}

// A block for system response message `number`, consistent in every field.
inline RecordingBlock ResponseBlock(int number) {
    RecordingBlock b = SampleBlock();
    b.boxNumber = static_cast<std::uint16_t>(number);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", number);
    b.boxDigits = digits;
    return b;
}

// A record as a download leaves it.
inline FILESTS_INFO SampleRecord() {
    FILESTS_INFO r;
    r.downloadState = kUnplayedOnMainUnit;
    r.boxNumber = u"0012";
    r.partyNumber = u"0312345678";
    r.partyName = u"テスト";
    r.date = u"2026/12/07 14:05";
    r.recordingTime = u"00:02:03";
    return r;
}

inline std::string Speech(std::size_t bytes) {
    std::string s(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) s[i] = static_cast<char>(i * 37 + 11);
    return s;
}

// A local message file: record, block, speech.
inline void WriteMessage(const std::filesystem::path& p, const FILESTS_INFO& record, const RecordingBlock& block,
                         std::size_t speechBytes = 0) {
    WriteBytes(p, BytesOf(record.ToBytes()) + BytesOf(BuildBlock(block)) + Speech(speechBytes));
}

// A file as the main unit delivers it: block, then speech for a ".vmdat".
inline void WriteDelivered(const std::filesystem::path& p, const RecordingBlock& block, std::size_t speechBytes = 0) {
    WriteBytes(p, BytesOf(BuildBlock(block)) + Speech(speechBytes));
}

// System response message `number` in `outou` ("202612071505_MON_A005_0000.vmdat"
// for 5), with `speechBytes` of speech and the played (upload) mark `played`;
// the record comes back as a row of the list holds it, its path filled in.
inline FILESTS_INFO WriteResponseMessage(const std::filesystem::path& outou, int number, std::size_t speechBytes = 3000,
                                         std::uint8_t played = 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", number);
    const std::string name = std::string("202612071505_MON_A") + digits + "_0000.vmdat";
    FILESTS_INFO record = SampleRecord();
    record.boxNumber = std::u16string(digits, digits + std::string_view(digits).size());
    record.played = played;
    const std::filesystem::path file = outou / name;
    WriteMessage(file, record, ResponseBlock(number), speechBytes);
    record.filePath = file.u16string();
    return record;
}

// The played (upload) mark in the file's status record; -1 when it cannot be read.
inline int PlayedMarkOf(const std::filesystem::path& file) {
    FILESTS_INFO record;
    return CFileMng::ReadStatusRecord(file, record) ? record.played : -1;
}

// Every file of a folder by name with its bytes, hidden ones included.
using FolderFiles = std::map<std::string, std::string>;
inline FolderFiles SnapshotOf(const std::filesystem::path& folder) {
    FolderFiles out;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        out[e.path().filename().string()] = ReadFileBytes(e.path());
    return out;
}

}  // namespace plova::testkit
