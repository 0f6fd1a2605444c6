// plova-cli export FOLDER --csv OUT.csv [--settings FILE] [--utf8]
// plova-cli export FOLDER --archive OUT.zip [--since YYYY-MM-DD] [--until YYYY-MM-DD]
//
// FOLDER is one box (a folder under "rusuroku" or "naisen"), a whole box
// folder, or its "outou" folder. The CSV is the one a list window of those
// messages exports. The archive holds each message's speech as a WAV file,
// made in a scratch folder beside OUT.zip (the box folder gets no WAV file),
// with an index.csv and an index.json, for someone without this program.
#include <zip.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "cli/Command.h"
#include "cli/RecordJson.h"
#include "folders/BoxFolders.h"
#include "folders/CsvExport.h"
#include "lists/ListColumns.h"
#include "lists/ListData.h"
#include "lists/ListDefinition.h"
#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/PortableNames.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kName = "export";
constexpr const char* kUsageText =
    "expects FOLDER --csv OUT.csv [--settings FILE] [--utf8] or FOLDER --archive OUT.zip [--since YYYY-MM-DD] "
    "[--until YYYY-MM-DD]";
constexpr std::u16string_view kAnswering = u"rusuroku";
constexpr std::u16string_view kExtension = u"naisen";
constexpr std::u16string_view kResponse = u"outou";
constexpr std::u16string_view kWavTitle = u"WAV";
constexpr int kColumnSlots = 13;
constexpr const char* kIndexCsv = "index.csv";
constexpr const char* kIndexJson = "index.json";
constexpr std::size_t kCopyChunk = std::size_t{64} * 1024;

struct Options {
    fs::path folder;
    std::optional<fs::path> csv, archive, settings;
    bool utf8 = false;
    std::optional<std::string> since, until;  // "YYYYMMDD"
};

// "YYYY-MM-DD" as "YYYYMMDD", which compares as text the way the dates do.
std::optional<std::string> dateKey(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto month = ParseWholeNumber(text.substr(5, 2), 1, 12);
    const auto day = ParseWholeNumber(text.substr(8, 2), 1, 31);
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    if (!month || !day) return std::nullopt;
    const int year = std::stoi(text.substr(0, 4));
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok()) return std::nullopt;  // 2026-02-31 is no day to start or end with
    return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
}

// The recording date of a record ("YYYY/MM/DD hh:mm") as "YYYYMMDD"; for a
// system response message, whose record holds no date, the day its name
// starts with.
std::optional<std::string> recordDateKey(const FILESTS_INFO& record) {
    std::string date = ToUtf8(record.date);
    if (date.empty()) {
        const std::string name = Utf8Of(PathOfText(record.filePath).filename());
        if (name.size() >= 8) date = name.substr(0, 4) + "/" + name.substr(4, 2) + "/" + name.substr(6, 2);
    }
    if (date.size() < 10 || date[4] != '/' || date[7] != '/') return std::nullopt;
    return dateKey(date.substr(0, 4) + "-" + date.substr(5, 2) + "-" + date.substr(8, 2));
}

std::optional<Options> parse(const Args& args, std::string& why) {
    Options o;
    bool haveFolder = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--utf8") {
            o.utf8 = true;
        } else if (a == "--csv" || a == "--archive" || a == "--settings" || a == "--since" || a == "--until") {
            if (i + 1 >= args.size()) return std::nullopt;
            const std::string& value = args[++i];
            if (a == "--csv") o.csv = PathFromUtf8(value);
            if (a == "--archive") o.archive = PathFromUtf8(value);
            if (a == "--settings") o.settings = PathFromUtf8(value);
            if (a == "--since" || a == "--until") {
                auto key = dateKey(value);
                if (!key) {
                    why = a + " takes a date as YYYY-MM-DD";
                    return std::nullopt;
                }
                (a == "--since" ? o.since : o.until) = std::move(key);
            }
        } else if (a.starts_with("--") || haveFolder) {
            return std::nullopt;
        } else {
            o.folder = PathFromUtf8(a);
            haveFolder = true;
        }
    }
    // One form or the other, each with its own options.
    if (!haveFolder || o.csv.has_value() == o.archive.has_value()) return std::nullopt;
    if (o.csv && (o.since || o.until)) return std::nullopt;
    if (o.archive && (o.settings || o.utf8)) return std::nullopt;
    // The file may be written to a share or copied to Windows: its name must
    // be one Windows can hold there too.
    const fs::path& file = o.csv ? *o.csv : *o.archive;
    if (!IsPortableName(NameText(file.filename()))) {
        why = Utf8Of(file.filename()) +
              ": not a file name Windows can hold (< > : \" \\ | ? *, a trailing dot "
              "or space, CON, NUL, COM1 ...)";
        return std::nullopt;
    }
    return o;
}

// What FOLDER holds as a window would list it: one list (a box, the boxes of
// a box folder, or an outou folder's system response messages), and for a
// whole box folder its system response messages as a second list, which the
// archive takes too.
struct Sources {
    ListSource list;
    std::optional<ListSource> responses;
};

std::optional<Sources> sourceOf(fs::path folder) {
    std::error_code ec;
    folder = fs::absolute(folder, ec).lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();
    if (!fs::is_directory(folder, ec)) return std::nullopt;
    const fs::path parent = folder.parent_path();
    // Names as the disk has them, whatever their encoding (a box folder on a
    // Windows share has CP932 names), so that the list finds them again.
    const auto text = [](const fs::path& p) { return TextOfPath(p); };
    const auto source = [&](const fs::path& boxFolder, std::u16string_view definition) {
        return ListSource{text(boxFolder.parent_path()), text(boxFolder.filename()), std::u16string(definition)};
    };
    const std::u16string name = text(folder.filename());
    if (name == kResponse && CFileMng::IsBoxFolder(parent)) return Sources{source(parent, listdef::kResponseList), {}};
    if (CFileMng::IsBoxFolder(folder)) {
        BoxSelection boxes;
        for (const fs::path& box : CFileMng::ListSubFolders(folder / std::u16string(kAnswering)))
            boxes.answering.push_back(text(box.filename()));
        for (const fs::path& box : CFileMng::ListSubFolders(folder / std::u16string(kExtension)))
            boxes.extension.push_back(text(box.filename()));
        Sources sources{source(folder, BuildDefinition(boxes)), {}};
        if (fs::is_directory(folder / std::u16string(kResponse), ec))
            sources.responses = source(folder, listdef::kResponseList);
        return sources;
    }
    const std::u16string kind = text(parent.filename());
    if (kind == kAnswering || kind == kExtension) {
        BoxSelection boxes;
        (kind == kAnswering ? boxes.answering : boxes.extension).push_back(name);
        return Sources{source(parent.parent_path(), BuildDefinition(boxes)), {}};
    }
    return std::nullopt;
}

std::vector<ColumnSpec> defaultColumns() {
    std::vector<std::u16string> names(listcol::kDefaultColumns.begin(), listcol::kDefaultColumns.end());
    return BoxListColumns(names);
}

// The display items of a settings file, or the default ones when it names none.
std::optional<std::vector<ColumnSpec>> columnsOf(const fs::path& settings, std::string& why) {
    ReadResult read;
    const IniDocument ini = IniDocument::Load(settings, &read);
    if (read != ReadResult::Ok) {
        why = "--settings " + Utf8Of(settings) + ": cannot read the file";
        return std::nullopt;
    }
    std::vector<std::u16string> names;
    for (int i = 1; i <= kColumnSlots; ++i)
        names.push_back(ini.GetString(u"DISP", u"COLUM" + FromUtf8(std::to_string(i))));
    std::vector<ColumnSpec> columns = BoxListColumns(names);
    return columns.empty() ? defaultColumns() : columns;
}

int writeCsv(const Options& o, ListData& list, std::ostream& out, std::ostream& err) {
    const ExportResult r = WriteCsv(*o.csv, CsvTableOf(list), o.utf8 ? CsvEncoding::Utf8Bom : CsvEncoding::Cp932);
    if (r != ExportResult::Completed) return Fail(err, kName, Utf8Of(*o.csv) + ": cannot be written");
    out << PrintablePath(*o.csv) << '\n';
    return kOk;
}

// ------------------------------------------------------------------ archive

// A scratch folder of our own beside the archive, removed with everything in it.
class ScratchFolder {
public:
    // Under a hidden name nobody can guess, made here and nowhere else (a name
    // taken meanwhile is passed over), for its owner alone where files have modes.
    explicit ScratchFolder(const fs::path& besides) {
        for (int tries = 0; tries < 8 && path_.empty(); ++tries) {
            const fs::path candidate = NewTempPath(besides);
            std::error_code ec;
            if (candidate.empty() || !fs::create_directory(candidate, ec)) continue;
            fs::permissions(candidate, fs::perms::owner_all, ec);
            path_ = candidate;
        }
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    [[nodiscard]] const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

struct ZipCloser {
    void operator()(zip_t* z) const {
        if (z) zip_discard(z);
    }
};

class ArchiveWriter {
public:
    bool Open(const fs::path& file) {
        int error = 0;
        // libzip takes a name's bytes on Linux and UTF-8 on Windows: what Utf8Of gives on each.
        zip_.reset(zip_open(Utf8Of(file).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
        return zip_ != nullptr;
    }
    // The file is read when the archive is closed; it must stay until then.
    bool AddFile(const std::string& entry, const fs::path& file) {
        zip_source_t* source = zip_source_file(zip_.get(), Utf8Of(file).c_str(), 0, -1);
        return add(entry, source);
    }
    bool AddBytes(const std::string& entry, std::string bytes) {
        const std::string& kept = buffers_.emplace_back(std::move(bytes));
        return add(entry, zip_source_buffer(zip_.get(), kept.data(), kept.size(), 0));
    }
    bool Close() { return zip_close(zip_.get()) == 0 && (static_cast<void>(zip_.release()), true); }

private:
    bool add(const std::string& entry, zip_source_t* source) {
        if (source == nullptr) return false;
        if (zip_file_add(zip_.get(), entry.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            return false;
        }
        return true;
    }
    std::unique_ptr<zip_t, ZipCloser> zip_;
    std::deque<std::string> buffers_;
};

bool inRange(const Options& o, const FILESTS_INFO& record) {
    if (!o.since && !o.until) return true;
    const auto key = recordDateKey(record);
    return key && (!o.since || *key >= *o.since) && (!o.until || *key <= *o.until);
}

// A name inside the archive: the path below the root with "/" between its
// parts, with runs of bytes that are not UTF-8 read as CP932, as the
// archive's names are UTF-8.
std::string entryName(const fs::path& relative) {
    const fs::path generic(relative.generic_string<fs::path::value_type>());
    return ToUtf8(ReadablePathText(TextOfPath(generic)));
}

enum class Copied { Done, Unreadable, TooLarge, NotWritten };

bool tooLargeForMessage(std::uint64_t size) {
    return size > store::kMinMessageFileSize + store::kMaxConvertibleSpeechBytes;
}

// The message copied to `copy` for its conversion: read through the file
// layer (a pipe under a message name cannot hang the export) and measured
// first, so a file too large for any message is refused before a byte of
// it is copied.
Copied copyForConversion(const fs::path& message, const fs::path& copy) {
    const FileHandle in = OpenRegularFile(message, Access::Read);
    const std::optional<std::uint64_t> size = in ? in.Size() : std::nullopt;
    if (!size) return Copied::Unreadable;
    if (tooLargeForMessage(*size)) return Copied::TooLarge;
    FileHandle to = OpenForRewrite(copy);
    if (!to) return Copied::NotWritten;
    std::vector<char> chunk(kCopyChunk);
    for (std::uint64_t at = 0; at < *size;) {
        const std::optional<std::size_t> got = in.ReadAt(at, chunk.data(), chunk.size());
        if (!got) return Copied::Unreadable;
        if (*got == 0) break;
        if (!to.WriteAll(chunk.data(), *got)) return Copied::NotWritten;
        at += *got;
    }
    return to.CloseChecked() ? Copied::Done : Copied::NotWritten;
}

// One message of the archive: the list it comes from and its row there.
struct ArchiveRow {
    const ListData* list;
    int row;
};

int writeArchive(const Options& o, const std::vector<const ListData*>& lists, std::ostream& out, std::ostream& err) {
    const fs::path target = *o.archive;
    const fs::path outFolder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const ListData& first = *lists.front();
    const fs::path root = PathOfText(first.Source().root);
    const std::string cannot = Utf8Of(target) + ": cannot be written";
    const std::string noSpace = "not enough disk space in " + Utf8Of(outFolder) + "; nothing written";
    std::uint64_t archived = 0;  // bytes of the WAV files the archive takes in

    std::vector<ArchiveRow> rows;
    for (const ListData* list : lists)
        for (int row = 0; row < list->RowCount(); ++row)
            if (!list->IsAbsentRow(row) && inRange(o, list->RecordOfRow(row))) rows.push_back({list, row});
    if (rows.empty()) return Fail(err, kName, Utf8Of(o.folder) + ": no message to export; nothing written");

    // What killed exports left beside their archives goes first.
    RemoveStaleTempFiles(outFolder, kStaleTempAge);
    RemoveStaleTempFolders(outFolder, kStaleTempAge);
    ScratchFolder scratch(outFolder);
    std::optional<TempFile> temp = CreateTempFile(outFolder);
    if (scratch.Path().empty() || !temp) return Fail(err, kName, cannot);
    temp->handle.Close();
    struct RemoveTemp {
        fs::path path;
        ~RemoveTemp() {
            std::error_code ec;
            if (!path.empty()) fs::remove(path, ec);
        }
    } removeTemp{temp->path};

    ArchiveWriter zip;
    if (!zip.Open(temp->path)) return Fail(err, kName, cannot);

    // One table for every message: the first list's columns; a system
    // response message beside the boxes fills them from its record.
    CsvTable table = CsvTableOf(first);
    const std::vector<ColumnSpec>& columns = first.Columns();
    table.titles.emplace_back(kWavTitle);
    std::string indexCsv = "\xEF\xBB\xBF" + CsvBytes(CsvLine(table.titles), CsvEncoding::Utf8Bom);
    nlohmann::json index = nlohmann::json::array();
    int made = 0;
    for (const ArchiveRow& at : rows) {
        const FILESTS_INFO& record = at.list->RecordOfRow(at.row);
        const fs::path message = PathOfText(record.filePath);
        const fs::path relative = message.lexically_relative(root);
        std::string wavEntry;
        if (EqualsIgnoreCase(NameText(message.extension()), store::kVmdat)) {
            // The conversion runs on a copy, so its WAV file is made in the scratch folder.
            const fs::path copy = scratch.Path() / (std::to_string(++made) + ".vmdat");
            std::error_code ec;
            const std::uint64_t length = fs::file_size(message, ec);
            // A full disk is said as such, before and after the copy and its WAV file;
            // a file too large for any message is said as that, whatever room there is.
            const auto roomFor = [&] {
                return CurrentPorts().disk->FreeBytes(scratch.Path()) >= length + store::SpaceToConvertToWav(length);
            };
            if (!ec && !tooLargeForMessage(length) && !roomFor()) return Fail(err, kName, noSpace);
            switch (copyForConversion(message, copy)) {
            case Copied::Done: break;
            case Copied::Unreadable: return Fail(err, kName, Utf8Of(message) + ": cannot be read; nothing written");
            case Copied::TooLarge:
                return Fail(err, kName, Utf8Of(message) + ": too large for a message file; nothing written");
            case Copied::NotWritten: return Fail(err, kName, !roomFor() ? noSpace : cannot);
            }
            if (!store::ConvertToWav(copy, 0))
                return Fail(err, kName,
                            !roomFor() ? noSpace : Utf8Of(message) + ": the speech cannot be decoded; nothing written");
            archived += fs::file_size(fs::path(copy).replace_extension(".wav"), ec);
            fs::remove(copy, ec);
            wavEntry = entryName(fs::path(relative).replace_extension(".wav"));
            if (!zip.AddFile(wavEntry, fs::path(copy).replace_extension(".wav"))) return Fail(err, kName, cannot);
        }
        std::vector<std::u16string> cells;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::u16string cell = at.list == &first ? first.Cell(at.row, static_cast<int>(c))
                                                          : CellText(record, columns[c].kind, first.Source().root);
            cells.push_back(CsvCellText(table.titles[c], cell, table.boxList));
        }
        cells.push_back(FromUtf8(wavEntry));
        indexCsv += CsvBytes(CsvLine(cells), CsvEncoding::Utf8Bom);
        nlohmann::json entry = RecordJson(record);
        entry["path"] = entryName(relative);
        entry["wav"] = wavEntry.empty() ? nlohmann::json() : nlohmann::json(wavEntry);
        index.push_back(std::move(entry));
    }
    if (!zip.AddBytes(kIndexCsv, std::move(indexCsv)) ||
        !zip.AddBytes(kIndexJson, index.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n") ||
        !zip.Close())
        return Fail(err, kName, CurrentPorts().disk->FreeBytes(outFolder) < archived ? noSpace : cannot);
    // The scratch name was private to us; the archive gets the permissions of any new file.
    std::error_code ec;
    fs::permissions(temp->path, static_cast<fs::perms>(UsualFileMode()), ec);
    fs::rename(temp->path, target, ec);
    if (ec) return Fail(err, kName, cannot);
    removeTemp.path.clear();
    oplog::Operation log("export", target.parent_path(),
                         "archive of " + std::to_string(index.size()) + " messages with their WAV files");
    log.Add(target, oplog::Outcome::Done);
    out << PrintablePath(target) << '\n';
    return kOk;
}

int runExport(const Args& args, std::ostream& out, std::ostream& err) {
    std::string why;
    const std::optional<Options> o = parse(args, why);
    if (!o) return Fail(err, kName, why.empty() ? kUsageText : why, kUsage);
    std::vector<ColumnSpec> columns = defaultColumns();
    if (o->settings) {
        auto configured = columnsOf(*o->settings, why);
        if (!configured) return Fail(err, kName, why, kUsage);
        columns = std::move(*configured);
    }
    const std::optional<Sources> sources = sourceOf(o->folder);
    if (!sources) return Fail(err, kName, Utf8Of(o->folder) + ": not a box, a box folder or an outou folder");
    ListData list;
    list.SetSource(sources->list, columns);
    list.FullDisplay(false);
    if (o->csv) {
        if (list.RowCount() == 0)
            return Fail(err, kName, Utf8Of(o->folder) + ": no message to export; nothing written");
        return writeCsv(*o, list, out, err);
    }
    std::vector<const ListData*> lists{&list};
    ListData responses;
    if (sources->responses) {
        responses.SetSource(*sources->responses, columns);
        responses.FullDisplay(false);
        lists.push_back(&responses);
    }
    return writeArchive(*o, lists, out, err);
}

}  // namespace

extern const Command exportCommand;
const Command exportCommand{
    "export",
    "FOLDER --csv OUT.csv [--settings FILE] [--utf8] | FOLDER --archive OUT.zip [--since YYYY-MM-DD] "
    "[--until YYYY-MM-DD]",
    "export the messages of a box, a box folder or an outou folder: --csv writes the list as a list window "
    "exports it (display items COLUM1..13 of section DISP in --settings FILE, else the default ones; CP932, or "
    "UTF-8 with a byte-order mark with --utf8); --archive writes a ZIP archive of every message's speech as a "
    "WAV file with index.csv and index.json, limited to the messages recorded from --since to --until; the "
    "file's name must be one Windows can hold",
    runExport};

}  // namespace plova::cli
