#include "app/SettingsRecord.h"

#include <filesystem>
#include <string>

#include "store/FILESTS_INFO.h"

namespace plova {
namespace {

using namespace settings;

constexpr char16_t kSeparator = static_cast<char16_t>(std::filesystem::path::preferred_separator);

// Reads one key through the record's field rules.
class Reader {
public:
    explicit Reader(const IniDocument& ini) : ini_(ini) {}

    void Text(std::u16string_view section, std::u16string_view key, std::u16string& field, std::size_t max) const {
        field = FitField(ini_.GetString(section, key), max);
    }
    // Default `fallback` when missing; values below `floor` become `raise`.
    void Number(std::u16string_view section, std::u16string_view key, int& field, int fallback, int floor,
                int raise) const {
        const int v = ini_.GetInt(section, key, fallback);
        field = v < floor ? raise : v;
    }
    // "negative becomes 0".
    void Count(std::u16string_view section, std::u16string_view key, int& field) const {
        Number(section, key, field, 0, 0, 0);
    }
    void Raw(std::u16string_view section, std::u16string_view key, int& field) const {
        field = ini_.GetInt(section, key, 0);
    }

private:
    const IniDocument& ini_;
};

}  // namespace

std::u16string FitField(std::u16string_view text, std::size_t max) {
    const auto nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);
    return CutText(text, max);
}

std::u16string NumberedKey(std::u16string_view base, int n) {
    std::u16string key(base);
    for (char c : std::to_string(n)) key += static_cast<char16_t>(c);
    return key;
}

std::u16string WithTrailingSeparator(std::u16string_view folder) {
    std::u16string s(folder);
    if (!s.empty() && s.back() != kSeparator) s += kSeparator;
    return s;
}

void ReadAllSettings(const IniDocument& ini, SettingsRecord& r) {
    const Reader read(ini);

    read.Text(kLogin, u"IP", r.ip, kIpMax);
    read.Text(kLogin, u"USER", r.user, kUserMax);
    read.Text(kLogin, u"PASS", r.password, kPasswordMax);
    read.Count(kLogin, u"CHECK", r.check);

    read.Text(kFolder, u"FOLDER", r.folder, kPathMax);
    read.Count(kFolder, u"INIT", r.init);
    read.Text(kFolder, u"NEXTFOLDER", r.nextFolder, kPathMax);
    read.Text(kFolder, u"NEXTFOLDERNAME", r.nextFolderName, kPathMax);
    read.Count(kFolder, u"CHANGE", r.change);

    read.Text(kDisp, u"FOLDERNAME", r.folderName, kPathMax);
    read.Count(kDisp, u"NUM", r.num);
    for (int i = 1; i <= kListSlots; ++i) read.Text(kDisp, NumberedKey(u"DISP", i), r.disp[i - 1], kDispMax);
    for (int i = 1; i <= kListSlots; ++i)
        read.Text(kDisp, NumberedKey(u"FOLDERNAME", i), r.folderNames[i - 1], kPathMax);
    for (int i = 1; i <= kColumnSlots; ++i)
        read.Text(kDisp, NumberedKey(u"COLUM", i), r.columns[i - 1], kColumnNameMax);
    for (int i = 1; i <= kColumnSlots; ++i)
        read.Text(kDisp, NumberedKey(u"DELCOLUM", i), r.deletedColumns[i - 1], kColumnNameMax);

    read.Count(kConvert, u"DOWNCONV", r.downConv);
    read.Count(kConvert, u"CONVDEL", r.convDel);

    read.Text(kExport, u"PATH", r.exportPath, kPathMax);
    read.Text(kExport, u"Name", r.exportName, kPathMax);
    read.Text(kImport, u"PATH", r.importPath, kPathMax);
    read.Text(kImport, u"Name", r.importName, kPathMax);

    read.Text(kCodec, u"SYSADDFOLDER", r.sysAddFolder, kPathMax);
    read.Raw(kCodec, u"LEVELRVWAVOR", r.levelRvWavOr);
    read.Raw(kCodec, u"LEVELRVWMAOR", r.levelRvWmaOr);
    read.Raw(kCodec, u"LEVELRVORWAV", r.levelRvOrWav);

    read.Count(kBackup, u"HINDO", r.hindo);
    read.Count(kBackup, u"YOUBI", r.youbi);
    read.Number(kBackup, u"HI", r.hi, kDayOfMonthDefault, 0, kDayOfMonthDefault);
    read.Count(kBackup, u"JIKOKUHH", r.jikokuHH);
    read.Count(kBackup, u"JIKOKUMM", r.jikokuMM);
    read.Text(kBackup, u"ZENKAIBI", r.zenkaibi, kStampMax);
    read.Count(kBackup, u"ZENKAIKA", r.zenkaika);
    read.Text(kBackup, u"YOTEIBI", r.yoteibi, kStampMax);
    read.Number(kBackup, u"RETRYCNT", r.retryCount, kRetryCountDefault, kRetryCountMin, kRetryCountMin);
    read.Number(kBackup, u"RETRYWAIT", r.retryWait, kRetryWaitDefault, kRetryWaitMin, kRetryWaitMin);

    read.Text(kOwn, u"NOTICEDBACKUP", r.noticedBackup, kStampMax);
    read.Number(kOwn, u"PLAYER", r.builtInPlayer, 1, 0, 0);
    r.builtInPlayer = r.builtInPlayer == 0 ? 0 : 1;
    read.Number(kOwn, u"PLAYSPEED", r.playerSpeed, kPlayerSpeedDefault, 0, kPlayerSpeedDefault);
    if (r.playerSpeed > kPlayerSpeedMax) r.playerSpeed = kPlayerSpeedDefault;
    read.Number(kOwn, u"PLAYVOLUME", r.playerVolume, kPlayerVolumeMax, 0, kPlayerVolumeMax);
    r.playerVolume = std::min(r.playerVolume, kPlayerVolumeMax);
}

void WriteAllSettings(IniDocument& ini, const SettingsRecord& r) {
    const bool remember = r.check != 0;
    const bool change = r.change == 1;

    ini.Set(kLogin, u"IP", remember ? r.ip : u"");
    ini.Set(kLogin, u"USER", remember ? r.user : u"");
    ini.Set(kLogin, u"PASS", remember ? r.password : u"");
    ini.SetInt(kLogin, u"CHECK", r.check);

    // While a change of folder is pending the next start takes NEXTFOLDER.
    ini.Set(kFolder, u"FOLDER", change ? std::u16string() : WithTrailingSeparator(r.folder));
    ini.SetInt(kFolder, u"INIT", r.init);
    ini.Set(kFolder, u"NEXTFOLDER", r.nextFolder);
    ini.Set(kFolder, u"NEXTFOLDERNAME", r.nextFolderName);
    ini.SetInt(kFolder, u"CHANGE", r.change);

    ini.Set(kDisp, u"FOLDERNAME", change ? r.nextFolderName : r.folderName);
    ini.SetInt(kDisp, u"NUM", change ? 0 : r.num);
    for (int i = 1; i <= kListSlots; ++i)
        ini.Set(kDisp, NumberedKey(u"DISP", i), change ? std::u16string() : r.disp[i - 1]);
    for (int i = 1; i <= kListSlots; ++i) ini.Set(kDisp, NumberedKey(u"FOLDERNAME", i), r.folderNames[i - 1]);

    ini.SetInt(kConvert, u"DOWNCONV", r.downConv);
    ini.SetInt(kConvert, u"CONVDEL", r.convDel);

    ini.Set(kExport, u"PATH", r.exportPath);
    ini.Set(kExport, u"Name", r.exportName);
    ini.Set(kImport, u"PATH", r.importPath);
    ini.Set(kImport, u"Name", r.importName);

    ini.Set(kCodec, u"SYSADDFOLDER", r.sysAddFolder);
    ini.SetInt(kCodec, u"LEVELRVWAVOR", r.levelRvWavOr);
    ini.SetInt(kCodec, u"LEVELRVWMAOR", r.levelRvWmaOr);
    ini.SetInt(kCodec, u"LEVELRVORWAV", r.levelRvOrWav);

    ini.SetInt(kBackup, u"HINDO", r.hindo);
    ini.SetInt(kBackup, u"YOUBI", r.youbi);
    ini.SetInt(kBackup, u"HI", r.hi);
    ini.SetInt(kBackup, u"JIKOKUHH", r.jikokuHH);
    ini.SetInt(kBackup, u"JIKOKUMM", r.jikokuMM);
    ini.Set(kBackup, u"ZENKAIBI", r.zenkaibi);
    ini.SetInt(kBackup, u"ZENKAIKA", r.zenkaika);
    ini.Set(kBackup, u"YOTEIBI", r.yoteibi);
    ini.SetInt(kBackup, u"RETRYCNT", r.retryCount);
    ini.SetInt(kBackup, u"RETRYWAIT", r.retryWait);

    ini.Set(kOwn, u"NOTICEDBACKUP", r.noticedBackup);
    ini.SetInt(kOwn, u"PLAYER", r.builtInPlayer);
    ini.SetInt(kOwn, u"PLAYSPEED", r.playerSpeed);
    ini.SetInt(kOwn, u"PLAYVOLUME", r.playerVolume);
}

}  // namespace plova
