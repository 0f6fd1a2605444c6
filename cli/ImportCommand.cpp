// plova-cli import AUDIO --number N --folder BOXFOLDER [--level DB]: makes
// system response message N of a box folder from an audio file, as the Add
// button of the response list does, but from any audio FFmpeg decodes.
#include <optional>

#include "audio/MediaConversion.h"
#include "cli/Command.h"
#include "folders/BoxFolders.h"
#include "platform/AppPaths.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "store/AudioImport.h"
#include "store/BoxFolderLock.h"
#include "store/FileOps.h"
#include "store/ResponseMessage.h"

namespace plova::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kName = "import";
constexpr const char* kUsageText = "expects AUDIO --number N --folder BOXFOLDER [--level DB]";

// The window has nothing to show here.
class NoWindow final : public AddMessageWindow {
public:
    void Open(std::uintmax_t) override {}
    void Converting() override {}
    void Close() override {}
};

// Why the audio cannot be imported before trying, or empty.
std::string refusal(const fs::path& audio) {
    switch (store::CheckImportableAudio(audio)) {
    case store::AudioCheck::Accepted: break;
    case store::AudioCheck::Unreadable: return "cannot read the file";
    case store::AudioCheck::NotAudio: return "not audio that can be decoded";
    case store::AudioCheck::TooLong: return "too long (at most 601 seconds)";
    }
    return {};
}

// Every valid voice-data file of message `number` in the folder.
std::vector<fs::path> olderMessages(const fs::path& outou, int number) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(outou, ec)) {
        const fs::path& p = entry.path();
        if (EqualsIgnoreCase(NameText(p.extension()), store::kVmdat) && CFileMng::IsValidMessageName(p) &&
            CFileMng::ResponseNumberFromName(NameText(p.filename())) == number)
            found.push_back(p);
    }
    return found;
}

// The program's own level settings, when it has a settings file.
store::ImportLevels settingsLevels() {
    const fs::path settings = SettingsPath({});
    store::ImportLevels levels;
    levels.wavSetting = ReadProfileInt(settings, u"CODEC", u"LEVELRVWAVOR", 0);
    levels.wmaSetting = ReadProfileInt(settings, u"CODEC", u"LEVELRVWMAOR", 0);
    return levels;
}

std::string failureWords(AddResult result) {
    switch (result) {
    case AddResult::NotOpened: return "cannot read the file";
    case AddResult::NoSpace: return "not enough free disk space";
    case AddResult::WrapFailed: return "the message file cannot be written";
    default: return "the audio cannot be decoded or encoded";
    }
}

int runImport(const Args& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> audio, number, folderText, level;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::optional<std::string>* slot = nullptr;
        if (a == "--number")
            slot = &number;
        else if (a == "--folder")
            slot = &folderText;
        else if (a == "--level")
            slot = &level;
        else if (!a.starts_with("--") && !audio)
            slot = &audio;
        if (!slot) return Fail(err, kName, kUsageText, kUsage);
        if (slot == &audio) {
            audio = a;
            continue;
        }
        if (i + 1 >= args.size() || *slot) return Fail(err, kName, kUsageText, kUsage);
        *slot = args[++i];
    }
    if (!audio || !number || !folderText) return Fail(err, kName, kUsageText, kUsage);
    const auto n = ParseWholeNumber(*number, store::kMinResponseNumber, store::kMaxResponseNumber);
    if (!n) return Fail(err, kName, "--number takes a message number from 1 to 300", kUsage);
    store::ImportLevels levels;
    if (level) {
        const auto db = ParseLevel(*level);
        if (!db) return Fail(err, kName, kLevelRangeText, kUsage);
        levels = {*db, *db};
    } else {
        levels = settingsLevels();
    }
    const fs::path folder = PathFromUtf8(*folderText);
    const fs::path source = PathFromUtf8(*audio);
    std::error_code ec;
    // A mistyped path that happens to exist must not gain an "outou" folder.
    if (!fs::is_directory(folder, ec) || !CFileMng::IsBoxFolder(folder))
        return Fail(err, kName, *folderText + ": not a box folder (it has no rusuroku and naisen)", kUsage);
    if (const std::string why = refusal(source); !why.empty())
        return Fail(err, kName, *audio + ": " + why + "; nothing imported");

    // One run at a time in a box folder: a download or a window's command
    // working there now is never raced.
    const BoxFolderLock lock(folder, false);
    if (lock.Busy()) return Fail(err, kName, "another run is working on " + *folderText + "; nothing imported", kBusy);

    AddMessageRequest request;
    request.boxFolder = fs::absolute(folder);
    request.number = static_cast<int>(*n);
    request.source = source;
    request.levels = levels;
    request.anyAudio = true;
    // What earlier runs that were killed left behind goes first: the staged
    // files in "outou" and the intermediate files in the scratch folder.
    SweepStaleTempFiles(request.boxFolder);
    SweepStaleScratchFiles();
    const fs::path outou = request.boxFolder / fs::path(std::u16string(store::kResponseFolder));
    const std::vector<fs::path> older = olderMessages(outou, request.number);

    NoWindow window;
    fs::path created;
    const AddResult result = AddResponseMessage(request, window, &created);
    if (result != AddResult::Added)
        return Fail(err, kName, *audio + ": " + failureWords(result) + "; nothing imported");
    for (const fs::path& old : older)
        if (old != created) store::RemoveMessageAndAudioCopies(old);
    out << PrintablePath(created) << '\n';
    return kOk;
}

}  // namespace

extern const Command importCommand;
const Command importCommand{
    "import", "AUDIO --number N --folder BOXFOLDER [--level DB]",
    "make system response message N (1-300) in BOXFOLDER/outou from any audio FFmpeg decodes "
    "(at most 601 s), replacing an older message N once the new one is complete; prints the "
    "new file (level in dB: --level, else LEVELRVWAVOR for WAV and LEVELRVWMAOR for other "
    "audio from the program's settings file, else 0); exit 75 while another run works on BOXFOLDER",
    runImport};

}  // namespace plova::cli
