// plova-cli convert FILE… [--level N] [--settings FILE]: converts voice-data
// files into the WAV files beside them, as the convert command of the program
// does. One line per file: the WAV path on success, the reason on failure.
#include <optional>

#include "cli/Command.h"
#include "oplog/OperationLog.h"
#include "platform/IniFile.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/FileOps.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kName = "convert";
constexpr const char* kUsageText = "expects FILE… [--level N] [--settings FILE]";
// Room a conversion needs: (size / 256 + 1) × 4096 bytes for a voice file of `size` bytes.
constexpr std::uintmax_t kSpaceDivisor = 256;
constexpr std::uintmax_t kSpaceUnit = 4096;

std::string settingsProblem(ReadResult read) {
    switch (read) {
    case ReadResult::Missing: return "no such file";
    case ReadResult::NotRegular: return "not a regular file";
    case ReadResult::TooLarge: return "too large for a settings file";
    default: return "cannot read the file";
    }
}

// Why the file cannot be converted before trying, or empty.
std::string refusal(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return "no such file";
    if (!EqualsIgnoreCase(NameText(file.extension()), store::kVmdat)) return "not a voice-data file (.vmdat)";
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) return "cannot read the file";
    if (size <= store::kMinMessageFileSize) return "holds no speech";
    if (CurrentPorts().disk->FreeBytes(file) < (size / kSpaceDivisor + 1) * kSpaceUnit)
        return "not enough free disk space";
    return {};
}

int runConvert(const Args& args, std::ostream& out, std::ostream& err) {
    std::vector<fs::path> files;
    std::optional<int> level;
    std::optional<std::string> settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--level" || a == "--settings") {
            if (i + 1 >= args.size()) return Fail(err, kName, kUsageText, kUsage);
            const std::string& value = args[++i];
            if (a == "--settings") {
                settings = value;
            } else if (!(level = ParseLevel(value))) {
                return Fail(err, kName, kLevelRangeText, kUsage);
            }
        } else if (a.starts_with("--")) {
            return Fail(err, kName, kUsageText, kUsage);
        } else {
            files.push_back(PathFromUtf8(a));
        }
    }
    if (files.empty()) return Fail(err, kName, kUsageText, kUsage);
    // As the program does: the level setting of the conversion to WAV, 0 when
    // unset. A settings file named but not there is a mistake worth saying:
    // it would quietly convert at the wrong level.
    if (settings) {
        ReadResult read;
        const IniDocument ini = IniDocument::Load(PathFromUtf8(*settings), &read);
        if (read != ReadResult::Ok)
            return Fail(err, kName, "--settings " + *settings + ": " + settingsProblem(read), kUsage);
        if (!level) level = ini.GetInt(u"CODEC", u"LEVELRVORWAV", 0);
    }
    if (!level) level = 0;
    int code = kOk;
    oplog::Operation log("convert", store::BoxFolderOfMessage(fs::absolute(files.front())),
                         "to WAV at " + std::to_string(*level) + " dB");
    for (const fs::path& file : files) {
        if (const std::string why = refusal(file); !why.empty()) {
            code = Fail(err, kName, Utf8Of(file) + ": " + why + "; not converted");
            log.Add(file, oplog::Outcome::Skipped, why);
            continue;
        }
        if (!store::ConvertToWav(file, *level)) {
            code = Fail(err, kName, Utf8Of(file) + ": the speech cannot be decoded or written; no WAV file made");
            log.Add(file, oplog::Outcome::Failed, "the speech cannot be decoded or written");
            continue;
        }
        log.Add(file, oplog::Outcome::Done);
        out << PrintablePath(fs::path(file).replace_extension(".wav")) << '\n';
    }
    return code;
}

}  // namespace

extern const Command convertCommand;
const Command convertCommand{"convert", "FILE… [--level N] [--settings FILE]",
                             "convert voice-data files to the WAV files beside them (level in dB: --level, else "
                             "LEVELRVORWAV of section CODEC in --settings FILE, else 0)",
                             runConvert};

}  // namespace plova::cli
