// The message store: the local tree of box folders, the file names of
// messages, the per-folder "inf.ini", and the status record and recording
// block at the head of every message file.
//
// CFileMng holds no state: every member is called on the class itself
// (CFileMng::ReadStatusRecord(...)). Converting a message to WAV and importing
// audio, which drive worker threads and the progress window, live in
// store/Conversion.h and store/AudioImport.h. Nothing here throws: a rewrite tells how it went with a RecordWrite.
// Every rewrite of a message file goes through a temporary file in the same folder, so a failure leaves the file
// exactly as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/FILESTS_INFO.h"
#include "store/RecordingBlock.h"

namespace plova {

namespace store {
constexpr std::size_t kBlockOffset = filests::kSize;                      // 990
constexpr std::size_t kMinMessageFileSize = kBlockOffset + block::kSize;  // 1246
static_assert(kMinMessageFileSize == 1246);

constexpr std::size_t kBoxMessageNameLength = 33;  // "YYYYMMDDhhmm_WWW_BBBB_NNNNN.vmdat"
constexpr std::size_t kResponseNameLength = 32;    // "YYYYMMDDhhmm_WWW_BBBB_NNNN.vmdat"
constexpr std::size_t kDatePrefixLength = 12;      // "YYYYMMDDhhmm"
constexpr std::size_t kBoxFieldSeparatorAt = 16;   // "_" before the box number
constexpr std::size_t kBoxNumberAt = 17;
constexpr std::size_t kBoxNumberMaxChars = 4;
constexpr std::size_t kResponseNumberAt = 18;    // three digits, 18..20
constexpr std::size_t kResponseIdentityAt = 17;  // "BBBB_NNNN", 17..25
constexpr std::size_t kResponseIdentityLength = 9;
constexpr int kMinResponseNumber = 1;
constexpr int kMaxResponseNumber = 300;

constexpr std::size_t kBoxNameReadChars = 19;  // NAME is read back with at most this many characters

constexpr std::u16string_view kAnsweringFolder = u"rusuroku";
constexpr std::u16string_view kExtensionFolder = u"naisen";
constexpr std::u16string_view kResponseFolder = u"outou";
constexpr std::u16string_view kVmdat = u".vmdat";
constexpr std::u16string_view kVminf = u".vminf";
constexpr std::u16string_view kInfIni = u"inf.ini";
constexpr std::u16string_view kInfSection = u"INF";
constexpr std::u16string_view kNameKey = u"NAME";
constexpr std::u16string_view kMakeKey = u"MAKE";

// Values of MAKE.
constexpr int kMakeComplete = 0;
constexpr int kMakeByCommand = 1;   // made by the make-folder command; every download skips it
constexpr int kMakeUnfinished = 2;  // made by a folder download that has not finished

// What HasMessages found among the box sub-folders of "rusuroku" and "naisen".
enum class [[nodiscard]] BoxContents{
    NoBoxFolders,
    HasMessages,
    AllBoxesEmpty,
};

// How the local copy of a remote system response message stands.
enum class [[nodiscard]] LocalResponse{
    Current,      // the local file is as new as the remote one, or newer
    None,         // there is no local copy
    RemoteNewer,  // or the local name is not of the 32-character form
};

// How a rewrite of a message file went. On Failed the file is exactly as it was.
enum class [[nodiscard]] RecordWrite{
    Written,
    Failed,  // it could not be read or rewritten, or holds no recording block behind a record
};

}  // namespace store

class CFileMng {
public:
    CFileMng() = delete;

    // ---------------------------------------------------- folders and names

    // Both a sub-folder whose name contains "rusuroku" and one whose name contains "naisen".
    static bool IsBoxFolder(const std::filesystem::path& folder);
    static store::BoxContents HasMessages(const std::filesystem::path& boxFolder);
    static int CountMessages(const std::filesystem::path& folder);
    // Full paths of all sub-folders, in name order.
    static std::vector<std::filesystem::path> ListSubFolders(const std::filesystem::path& folder);

    static std::u16string ReadBoxName(const std::filesystem::path& folder);
    static bool WriteBoxName(const std::filesystem::path& folder, std::u16string_view name);
    static int ReadMake(const std::filesystem::path& folder);
    static bool IsUnfinished(const std::filesystem::path& folder);
    static bool WriteMake(const std::filesystem::path& folder, std::u16string_view value);

    // Looks in the outou folder for the local copy of a remote system response
    // message. None, or Current / RemoteNewer with `localPath` set to the
    // local file.
    static store::LocalResponse FindLocalResponseMessage(const std::filesystem::path& outouFolder,
                                                         std::u16string_view remoteName,
                                                         std::filesystem::path& localPath);

    // A file or folder of that name exists; "*" and "?" in the last component match as wildcards.
    static bool FileExists(const std::filesystem::path& path);
    // Creates the folder when nothing of that name exists; true when it was created.
    static bool CreateFolder(const std::filesystem::path& path);
    // The status record of the first ".vminf" of the folder, or of the first ".vmdat"
    // when there is none. False when there is neither, or it cannot be read.
    static bool ReadFirstRecord(const std::filesystem::path& folder, FILESTS_INFO& record);

    // The folder's messages in name order: files whose name contains ".vmdat" or
    // ".vminf", without a ".vminf" whose ".vmdat" exists.
    static std::vector<std::filesystem::path> EnumerateMessages(const std::filesystem::path& folder);

    // ------------------------------------------------------- audio copies

    // The folder itself (not its sub-folders) holds a regular file whose
    // extension is ".wav" or ".wma" in any case.
    static bool HasAudioFiles(const std::filesystem::path& folder);
    // Deletes those files, in that folder only: nothing else (no ".vmdat",
    // no "x.wav.vmdat", no sub-folder, no link) is touched, and a folder that
    // is itself a link is left alone, so nothing outside it can go. Files
    // that cannot be deleted are skipped.
    static void DeleteAudioFiles(const std::filesystem::path& folder);

    // ------------------------------------------------------- message files

    // False, with `record` unchanged, when the file cannot be opened or is shorter than a record.
    static bool ReadStatusRecord(const std::filesystem::path& file, FILESTS_INFO& record);
    // Failed when the file cannot be rewritten (it is then left as it was).
    static store::RecordWrite PrependStatusRecord(const std::filesystem::path& file, const FILESTS_INFO& record);
    // Refreshes record.boxName from the folder's NAME, then replaces the file's
    // first 990 bytes. Failed, with the file untouched, when it cannot be
    // rewritten or holds no recording block behind a record.
    static store::RecordWrite WriteStatusRecord(FILESTS_INFO& record, const std::filesystem::path& file);

    // The file starts with a status record: a recording block follows at offset 990.
    static bool HasStatusRecord(const std::filesystem::path& file);

    static bool IsValidMessageFile(const std::filesystem::path& file);
    static bool IsValidMessage(const std::filesystem::path& file, const FILESTS_INFO& record,
                               const BlockBytes& blockBytes);

    // The records of every valid message of the folder, in name order, with
    // file path (the whole path in memory), box number and box name filled in.
    // A message that cannot be read or is not valid is left out. False, with
    // `records` empty, when the folder itself cannot be read.
    static bool LoadFolderRecords(const std::filesystem::path& folder, std::vector<FILESTS_INFO>& records);

    // Builds the status record of a file just downloaded from the main unit and
    // prepends it. Failed (the file untouched) when it cannot be read or rewritten.
    static store::RecordWrite MakeStatusRecord(const std::filesystem::path& file);
    static store::RecordWrite MakeResponseRecord(const std::filesystem::path& file);
    // The records those two prepend, without writing them. A file still under
    // a temporary name gets the record of `finalName`: the extension and the
    // ".vminf" it carries the texts from are those of the final name. False
    // when the file holds no recording block.
    static bool BuildStatusRecord(const std::filesystem::path& file, const std::filesystem::path& finalName,
                                  FILESTS_INFO& record);
    static bool BuildResponseRecord(const std::filesystem::path& file, FILESTS_INFO& record);
    // The same from the recording block a file starts with as delivered.
    static bool BuildStatusRecord(const BlockBytes& delivered, const std::filesystem::path& finalName,
                                  FILESTS_INFO& record);
    static bool BuildResponseRecord(const BlockBytes& delivered, FILESTS_INFO& record);

    // Writes the record's party name and the current date into the file's block.
    static store::RecordWrite WriteNameAndDate(const FILESTS_INFO& record, const std::filesystem::path& file);

    // --------------------------------------------------- file-name helpers

    // The path has a component named "outou".
    static bool IsResponseMessagePath(const std::filesystem::path& file);
    // 33 characters, or 32 in outou, and a system response number in 1..300.
    static bool IsValidMessageName(const std::filesystem::path& file);
    // Box number from positions 17.. (18.. after an "A") up to the next "_", at most
    // 4 characters; empty when position 16 is not "_".
    static std::u16string BoxNumberFromName(std::u16string_view fileName);
    // Positions 18..20 as a decimal number, or -1 when they are not three digits.
    static int ResponseNumberFromName(std::u16string_view fileName);
    // "inf.ini" in the folder.
    static std::filesystem::path InfIniPath(const std::filesystem::path& folder);
    // The folder a message file lives in.
    static std::filesystem::path MessageFolder(const std::filesystem::path& file);

    // ------------------------------------------------ record building blocks

    // "%02d:%02d:%02d" of a recording time in tenths of a second.
    static std::u16string FormatRecordingTime(std::uint32_t tenths);
    // "%04d/%02d/%02d %02d:%02d" of the block's date field; empty when it does not parse.
    static std::u16string FormatBlockDate(std::string_view dateField);
    // The party name bytes with each 0x80 0xF0 (how the main unit writes a
    // full-width space) turned into 0x81 0x40.
    static std::string MendPartyName(std::string bytes);
};

}  // namespace plova
