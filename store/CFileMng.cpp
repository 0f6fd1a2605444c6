#include "store/CFileMng.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/IniFile.h"
#include "platform/InternetTime.h"
#include "platform/Text.h"

namespace plova {
namespace fs = std::filesystem;

namespace {

// ------------------------------------------------------------ small helpers

constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;

// Up to `size` bytes from the start of a regular file, fewer only at its end;
// nothing when it cannot be opened or read. Opening never blocks, so a pipe or
// device under a message's name cannot hang the caller.
std::optional<std::size_t> readHead(const fs::path& p, void* out, std::size_t size) {
    const FileHandle f = OpenRegularFile(p, Access::Read);
    if (!f) return std::nullopt;
    return f.ReadAt(0, out, size);
}

// Replaces `file` with `head` followed by the file's own bytes from `keepFrom`
// on, copied a piece at a time: a message of any length is rewritten in
// little memory, and never left half written.
bool rewriteWithHead(const fs::path& file, std::string_view head, std::uint64_t keepFrom) {
    FileHandle in = OpenRegularFile(file, Access::Read);
    if (!in) return false;
    AtomicFile out(file);
    if (!out.Write(head)) return false;
    std::string chunk(kCopyChunk, '\0');
    for (std::uint64_t at = keepFrom;;) {
        const auto got = in.ReadAt(at, chunk.data(), chunk.size());
        if (!got) return false;
        if (*got == 0) break;
        if (!out.Write(chunk.data(), *got)) return false;
        at += *got;
    }
    // Windows replaces no file that is open, not even by this process.
    in.Close();
    return out.Commit();
}

store::RecordWrite writeResult(bool written) {
    return written ? store::RecordWrite::Written : store::RecordWrite::Failed;
}

std::u16string nameOf(const fs::path& p) {
    return NameText(p.filename());
}
fs::path pathOf(std::u16string_view text) {
    return PathOfText(text);
}

bool contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

bool isMessageName(std::u16string_view name) {
    return contains(name, store::kVmdat) || contains(name, store::kVminf);
}

// The ".vmdat" companion of a ".vminf" name: its last ".vminf" replaced.
std::u16string vmdatNameOf(std::u16string name) {
    const auto at = name.rfind(store::kVminf);
    if (at != std::u16string::npos) name.replace(at, store::kVminf.size(), store::kVmdat);
    return name;
}

bool hasExtension(const fs::path& p, std::u16string_view ext) {
    const std::u16string name = nameOf(p);
    return name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0;
}

// Directory entries of a folder in name order; empty when it cannot be read.
struct Entry {
    fs::path native;      // the name as the file system has it
    std::u16string name;  // the same as UTF-16
    bool isFile;
    bool isFolder;
};

std::vector<Entry> listFolder(const fs::path& folder, bool* readable = nullptr) {
    std::vector<Entry> out;
    const auto listed = ListFolder(folder);
    if (readable) *readable = listed.has_value();
    if (!listed) return out;
    out.reserve(listed->size());
    for (const FolderEntry& e : *listed) {
        bool isFile = e.type == fs::file_type::regular;
        bool isFolder = e.type == fs::file_type::directory;
        if (e.type == fs::file_type::symlink) {
            // Links count as what they point to, as the file functions see them.
            std::error_code ec;
            const fs::file_type to = fs::status(folder / e.name, ec).type();
            isFile = to == fs::file_type::regular;
            isFolder = to == fs::file_type::directory;
        }
        out.push_back({e.name, NameText(e.name), isFile, isFolder});
    }
    std::sort(out.begin(), out.end(),
              [](const Entry& a, const Entry& b) { return a.native.native() < b.native.native(); });
    return out;
}

// The path has a component named "outou".
bool inResponseFolder(const fs::path& folder) {
    for (const auto& part : folder)
        if (part == "outou") return true;
    return false;
}

// "*" and "?" as the file functions match them within one name.
bool wildcardMatch(std::u16string_view pattern, std::u16string_view name) {
    std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++, starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1, n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

// The leading decimal number of a text, as the C library's atoi reads it; 0 without one.
int leadingNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    long v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && v < 1000000; ++i) v = v * 10 + (text[i] - u'0');
    return static_cast<int>(v);
}

std::string_view bytesOf(const BlockBytes& b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

bool blockHasMagic(const std::uint8_t* p) {
    return std::memcmp(p, block::kMagic.data(), block::kMagicSize) == 0;
}

// The head of a local message file: status record and recording block.
struct MessageHead {
    FILESTS_INFO record;
    BlockBytes block{};
};

// Reads record and block; false when the file cannot be opened or is shorter than both.
bool readMessageHead(const fs::path& file, MessageHead& head) {
    char buf[store::kMinMessageFileSize];
    if (readHead(file, buf, sizeof buf) != sizeof buf) return false;
    head.record = FILESTS_INFO::FromBytes(std::string_view(buf, filests::kSize));
    std::memcpy(head.block.data(), buf + store::kBlockOffset, block::kSize);
    return true;
}

// The block at the start of a file as the main unit delivers it; false when
// the file cannot be read or is shorter than a block.
bool readDeliveredBlock(const fs::path& file, BlockBytes& out) {
    return readHead(file, out.data(), out.size()) == out.size();
}

// The status record and recording block of a local message file; false
// unless a recording block follows its status record. Only such a file is
// rewritten: one as the main unit delivers it (its block first, no record
// yet) would lose its block and the start of its speech under a record.
bool readStoredHead(const fs::path& file, std::string& head) {
    head.assign(store::kMinMessageFileSize, '\0');
    return readHead(file, head.data(), head.size()) == head.size() &&
           blockHasMagic(reinterpret_cast<const std::uint8_t*>(head.data()) + store::kBlockOffset);
}

// `text` in CP932, cut to at most `width` bytes without splitting a character.
std::string cp932Within(std::u16string_view text, std::size_t width) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t len = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) len = 2;
        const std::string piece = ToCp932(text.substr(i, len));
        if (out.size() + piece.size() > width) break;
        out += piece;
        i += len - 1;
    }
    return out;
}

}  // namespace

// ------------------------------------------------------------ file names

bool CFileMng::IsResponseMessagePath(const fs::path& file) {
    return inResponseFolder(file.parent_path());
}

int CFileMng::ResponseNumberFromName(std::u16string_view name) {
    const std::size_t at = store::kResponseNumberAt;
    if (name.size() < at + 3) return -1;
    int v = 0;
    for (std::size_t i = at; i < at + 3; ++i) {
        if (name[i] < u'0' || name[i] > u'9') return -1;
        v = v * 10 + (name[i] - u'0');
    }
    return v;
}

namespace {

bool validName(std::u16string_view name, bool inOutou) {
    if (!inOutou) return name.size() == store::kBoxMessageNameLength;
    if (name.size() != store::kResponseNameLength) return false;
    const int number = CFileMng::ResponseNumberFromName(name);
    return number >= store::kMinResponseNumber && number <= store::kMaxResponseNumber;
}

// The content part of the validity test, on a name that passed validName.
bool validContent(std::u16string_view name, bool inOutou, const FILESTS_INFO& record, const BlockBytes& blockBytes) {
    if (record.recordingTime.find(u':') == std::u16string::npos) return false;
    if (!blockHasMagic(blockBytes.data())) return false;
    if (!inOutou) return true;
    // A system response message carries its number four times; all must agree.
    const int number = CFileMng::ResponseNumberFromName(name);
    if (leadingNumber(record.boxNumber) != number) return false;
    if (ReadBigEndian16(blockBytes.data() + block::kBoxNumberOffset) != number) return false;
    int digits = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::uint8_t d = blockBytes[block::kBoxDigitsOffset + i];
        if (d < '0' || d > '9') return false;
        digits = digits * 10 + (d - '0');
    }
    return digits == number;
}

// Reads the head of `file` when it is a valid message; false for any other file.
bool readValidHead(const fs::path& file, MessageHead& head) {
    const std::u16string name = nameOf(file);
    const bool inOutou = CFileMng::IsResponseMessagePath(file);
    return validName(name, inOutou) && readMessageHead(file, head) &&
           validContent(name, inOutou, head.record, head.block);
}

}  // namespace

bool CFileMng::IsValidMessageName(const fs::path& file) {
    return validName(nameOf(file), IsResponseMessagePath(file));
}

std::u16string CFileMng::BoxNumberFromName(std::u16string_view name) {
    if (name.size() <= store::kBoxFieldSeparatorAt || name[store::kBoxFieldSeparatorAt] != u'_') return {};
    std::size_t at = store::kBoxNumberAt;
    if (at < name.size() && name[at] == u'A') ++at;
    std::u16string out;
    while (at < name.size() && name[at] != u'_' && out.size() < store::kBoxNumberMaxChars) out += name[at++];
    return out;
}

fs::path CFileMng::InfIniPath(const fs::path& folder) {
    return folder / pathOf(store::kInfIni);
}

fs::path CFileMng::MessageFolder(const fs::path& file) {
    return file.parent_path();
}

// ------------------------------------------------------------ record parts

std::u16string CFileMng::FormatRecordingTime(std::uint32_t tenths) {
    const std::uint32_t s = tenths / 10;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", s / 3600, (s % 3600) / 60, s % 60);
    return FromUtf8(buf);
}

std::u16string CFileMng::FormatBlockDate(std::string_view dateField) {
    const auto t = ParseBlockDate(dateField);
    if (!t) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t->year, t->month, t->day, t->hour, t->minute);
    return FromUtf8(buf);
}

std::string CFileMng::MendPartyName(std::string bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size() && bytes[i + 1] != '\0';) {
        if (static_cast<std::uint8_t>(bytes[i]) == 0x80 && static_cast<std::uint8_t>(bytes[i + 1]) == 0xF0) {
            bytes[i] = '\x81';
            bytes[i + 1] = '\x40';
            i += 2;
        } else {
            ++i;
        }
    }
    return bytes;
}

// ------------------------------------------------------------ folders

bool CFileMng::IsBoxFolder(const fs::path& folder) {
    bool answering = false, extension = false;
    for (const Entry& e : listFolder(folder)) {
        if (!e.isFolder) continue;
        answering = answering || contains(e.name, store::kAnsweringFolder);
        extension = extension || contains(e.name, store::kExtensionFolder);
    }
    return answering && extension;
}

store::BoxContents CFileMng::HasMessages(const fs::path& boxFolder) {
    bool anyBox = false;
    for (const auto kind : {store::kAnsweringFolder, store::kExtensionFolder}) {
        for (const fs::path& box : ListSubFolders(boxFolder / pathOf(kind))) {
            anyBox = true;
            if (CountMessages(box) > 0) return store::BoxContents::HasMessages;
        }
    }
    return anyBox ? store::BoxContents::AllBoxesEmpty : store::BoxContents::NoBoxFolders;
}

namespace {

// The message files among a folder's entries (see EnumerateMessages).
std::vector<const Entry*> messagesAmong(const std::vector<Entry>& entries) {
    std::unordered_set<std::u16string_view> names;
    for (const Entry& e : entries)
        if (e.isFile) names.insert(e.name);
    std::vector<const Entry*> out;
    for (const Entry& e : entries) {
        if (!e.isFile || !isMessageName(e.name)) continue;
        // A message whose voice data is here is represented by its ".vmdat".
        if (contains(e.name, store::kVminf) && names.count(vmdatNameOf(e.name))) continue;
        out.push_back(&e);
    }
    return out;
}

}  // namespace

std::vector<fs::path> CFileMng::EnumerateMessages(const fs::path& folder) {
    const std::vector<Entry> entries = listFolder(folder);
    std::vector<fs::path> out;
    for (const Entry* e : messagesAmong(entries)) out.push_back(folder / e->native);
    return out;
}

int CFileMng::CountMessages(const fs::path& folder) {
    return static_cast<int>(EnumerateMessages(folder).size());
}

std::vector<fs::path> CFileMng::ListSubFolders(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const Entry& e : listFolder(folder))
        if (e.isFolder) out.push_back(folder / e.native);
    return out;
}

std::u16string CFileMng::ReadBoxName(const fs::path& folder) {
    return CutText(ReadProfileString(InfIniPath(folder), store::kInfSection, store::kNameKey),
                   store::kBoxNameReadChars);
}

bool CFileMng::WriteBoxName(const fs::path& folder, std::u16string_view name) {
    std::u16string quoted = u"\"";
    quoted += name;
    quoted += u"\"";
    return WriteProfileText(InfIniPath(folder), store::kInfSection, store::kNameKey, quoted);
}

int CFileMng::ReadMake(const fs::path& folder) {
    return ReadProfileInt(InfIniPath(folder), store::kInfSection, store::kMakeKey, store::kMakeComplete);
}

bool CFileMng::IsUnfinished(const fs::path& folder) {
    return ReadMake(folder) == store::kMakeUnfinished;
}

bool CFileMng::WriteMake(const fs::path& folder, std::u16string_view value) {
    return WriteProfileText(InfIniPath(folder), store::kInfSection, store::kMakeKey, value);
}

store::LocalResponse CFileMng::FindLocalResponseMessage(const fs::path& outouFolder, std::u16string_view remoteName,
                                                        fs::path& localPath) {
    const std::size_t idAt = store::kResponseIdentityAt, idLen = store::kResponseIdentityLength;
    if (remoteName.size() < idAt + idLen) return store::LocalResponse::None;
    std::u16string pattern = u"*";
    pattern += remoteName.substr(idAt, idLen);
    pattern += store::kVmdat;
    for (const Entry& e : listFolder(outouFolder)) {
        if (!e.isFile || !wildcardMatch(pattern, e.name)) continue;
        localPath = outouFolder / e.native;
        if (e.name.size() != store::kResponseNameLength) return store::LocalResponse::RemoteNewer;
        const auto localDate = std::u16string_view(e.name).substr(0, store::kDatePrefixLength);
        const auto remoteDate = remoteName.substr(0, store::kDatePrefixLength);
        return localDate >= remoteDate ? store::LocalResponse::Current : store::LocalResponse::RemoteNewer;
    }
    return store::LocalResponse::None;
}

bool CFileMng::FileExists(const fs::path& path) {
    const std::u16string name = nameOf(path);
    if (name.find_first_of(u"*?") == std::u16string::npos) {
        std::error_code ec;
        return fs::exists(fs::symlink_status(path, ec)) && !ec;
    }
    for (const Entry& e : listFolder(path.parent_path()))
        if (wildcardMatch(name, e.name)) return true;
    return false;
}

bool CFileMng::CreateFolder(const fs::path& path) {
    if (FileExists(path)) return false;
    std::error_code ec;
    return fs::create_directory(path, ec) && !ec;
}

bool CFileMng::ReadFirstRecord(const fs::path& folder, FILESTS_INFO& record) {
    const std::vector<Entry> entries = listFolder(folder);
    for (const auto ext : {store::kVminf, store::kVmdat}) {
        for (const Entry& e : entries)
            if (e.isFile && contains(e.name, ext)) return ReadStatusRecord(folder / e.native, record);
    }
    return false;
}

// ------------------------------------------------------------ message files

bool CFileMng::ReadStatusRecord(const fs::path& file, FILESTS_INFO& record) {
    char buf[filests::kSize];
    if (readHead(file, buf, sizeof buf) != sizeof buf) return false;
    record = FILESTS_INFO::FromBytes(std::string_view(buf, sizeof buf));
    return true;
}

store::RecordWrite CFileMng::PrependStatusRecord(const fs::path& file, const FILESTS_INFO& record) {
    const StatusRecordBytes head = record.ToBytes();
    return writeResult(
        rewriteWithHead(file, std::string_view(reinterpret_cast<const char*>(head.data()), head.size()), 0));
}

store::RecordWrite CFileMng::WriteStatusRecord(FILESTS_INFO& record, const fs::path& file) {
    record.boxName = CutText(ReadBoxName(MessageFolder(file)), filests::kBoxNameChars - 1);
    std::string content;
    if (!readStoredHead(file, content)) return store::RecordWrite::Failed;
    const StatusRecordBytes head = record.ToBytes();
    std::memcpy(content.data(), head.data(), head.size());
    return writeResult(rewriteWithHead(file, content, content.size()));
}

bool CFileMng::IsValidMessage(const fs::path& file, const FILESTS_INFO& record, const BlockBytes& blockBytes) {
    const std::u16string name = nameOf(file);
    const bool inOutou = IsResponseMessagePath(file);
    return validName(name, inOutou) && validContent(name, inOutou, record, blockBytes);
}

bool CFileMng::IsValidMessageFile(const fs::path& file) {
    MessageHead head;
    return readValidHead(file, head);
}

bool CFileMng::LoadFolderRecords(const fs::path& folder, std::vector<FILESTS_INFO>& records) {
    records.clear();
    bool readable = false;
    const std::vector<Entry> entries = listFolder(folder, &readable);
    if (!readable) return false;
    // One pass: each message is read once, and one that cannot be opened or is
    // not valid is simply left out rather than failing the whole box.
    const std::u16string boxName = CutText(ReadBoxName(folder), filests::kBoxNameChars - 1);
    const bool inOutou = inResponseFolder(folder);
    fs::path::string_type base = folder.native();
    if (!base.empty() && base.back() != '/' && base.back() != fs::path::preferred_separator)
        base += fs::path::preferred_separator;
    const std::vector<const Entry*> messages = messagesAmong(entries);
    records.reserve(messages.size());
    for (const Entry* e : messages) {
        if (!validName(e->name, inOutou)) continue;
        // A name that is not UTF-8 could not be found again from the record's path.
        if (PathFromUtf8(ToUtf8(e->name)).native() != e->native.native()) continue;
        const fs::path file(base + e->native.native());
        MessageHead head;
        if (!readMessageHead(file, head) || !validContent(e->name, inOutou, head.record, head.block)) continue;
        FILESTS_INFO& r = records.emplace_back(std::move(head.record));
        // A folder name that is not UTF-8 (CP932 from a Windows share) must
        // still lead back to this file.
        r.filePath = TextOfPath(file);
        r.boxNumber = BoxNumberFromName(e->name);
        r.boxName = boxName;
    }
    return true;
}

store::RecordWrite CFileMng::MakeStatusRecord(const fs::path& file) {
    FILESTS_INFO record;
    if (!BuildStatusRecord(file, file, record)) return store::RecordWrite::Failed;
    return PrependStatusRecord(file, record);
}

bool CFileMng::BuildStatusRecord(const fs::path& file, const fs::path& finalName, FILESTS_INFO& record) {
    BlockBytes raw;
    return readDeliveredBlock(file, raw) && BuildStatusRecord(raw, finalName, record);
}

bool CFileMng::BuildStatusRecord(const BlockBytes& raw, const fs::path& finalName, FILESTS_INFO& record) {
    const RecordingBlock b = ParseBlock(bytesOf(raw));
    const bool isVmdat = hasExtension(finalName, store::kVmdat);

    record = FILESTS_INFO{};
    bool carried = false;
    if (isVmdat) {
        // The ".vminf" came first: keep what the user has seen and edited of it.
        fs::path vminf = finalName;
        vminf.replace_extension(pathOf(store::kVminf));
        MessageHead head;
        if (readValidHead(vminf, head)) {
            record = std::move(head.record);
            carried = true;
        }
    }
    if (!carried) {
        record.date = FormatBlockDate(
            std::string_view(reinterpret_cast<const char*>(raw.data()) + block::kDateOffset, block::kDateSize));
        record.isProtected = b.isProtected ? 1 : 0;
        record.recordingTime = FormatRecordingTime(b.recordingTenths);
        record.partyName = FromCp932(MendPartyName(b.partyName));
        record.partyNumber = FromCp932(b.partyNumber);
        record.boxNumber = FromCp932(b.boxDigits);
    }
    record.downloadState = isVmdat ? (b.played ? kPlayedOnMainUnit : kUnplayedOnMainUnit) : kInfoOnly;
    return true;
}

store::RecordWrite CFileMng::MakeResponseRecord(const fs::path& file) {
    FILESTS_INFO record;
    if (!BuildResponseRecord(file, record)) return store::RecordWrite::Failed;
    return PrependStatusRecord(file, record);
}

bool CFileMng::BuildResponseRecord(const fs::path& file, FILESTS_INFO& record) {
    BlockBytes raw;
    return readDeliveredBlock(file, raw) && BuildResponseRecord(raw, record);
}

bool CFileMng::BuildResponseRecord(const BlockBytes& raw, FILESTS_INFO& record) {
    const RecordingBlock b = ParseBlock(bytesOf(raw));
    record = FILESTS_INFO{};
    record.recordingTime = FormatRecordingTime(b.recordingTenths);
    record.partyName = FromCp932(b.partyName);
    record.boxNumber = FromCp932(b.boxDigits);
    return true;
}

store::RecordWrite CFileMng::WriteNameAndDate(const FILESTS_INFO& record, const fs::path& file) {
    std::string content;
    if (!readStoredHead(file, content)) return store::RecordWrite::Failed;
    auto* blockStart = reinterpret_cast<std::uint8_t*>(content.data()) + store::kBlockOffset;

    std::string name = cp932Within(record.partyName, block::kPartyNameSize);
    name.resize(block::kPartyNameSize, '\0');
    std::copy_n(name.data(), name.size(), blockStart + block::kPartyNameOffset);
    const std::string date = MakeBlockDate(CurrentPorts().clock->Now());
    std::copy_n(date.data(), date.size(), blockStart + block::kDateOffset);
    return writeResult(rewriteWithHead(file, content, content.size()));
}

bool CFileMng::HasStatusRecord(const fs::path& file) {
    MessageHead head;
    return readMessageHead(file, head) && blockHasMagic(head.block.data());
}

}  // namespace plova
