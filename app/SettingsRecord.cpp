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

    void text(std::u16string_view section, std::u16string_view key, std::u16string& field, std::size_t max) const {
        field = FitField(ini_.getString(section, key), max);
    }
    // Default `fallback` when missing; values below `floor` become `raise`.
    void number(std::u16string_view section, std::u16string_view key, int& field, int fallback, int floor,
                int raise) const {
        const int v = ini_.getInt(section, key, fallback);
        field = v < floor ? raise : v;
    }
    // "negative becomes 0".
    void count(std::u16string_view section, std::u16string_view key, int& field) const {
        number(section, key, field, 0, 0, 0);
    }
    void raw(std::u16string_view section, std::u16string_view key, int& field) const {
        field = ini_.getInt(section, key, 0);
    }

private:
    const IniDocument& ini_;
};

}  // namespace

std::u16string FitField(std::u16string_view text, std::size_t max) {
    const auto nul = text.find(u'\0');
    if (nul != std::u16string_view::npos) text = text.substr(0, nul);
    return cutText(text, max);
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

    read.text(kLogin, u"IP", r.ip, kIpMax);
    read.text(kLogin, u"USER", r.user, kUserMax);
    read.text(kLogin, u"PASS", r.password, kPasswordMax);
    read.count(kLogin, u"CHECK", r.check);

    read.text(kFolder, u"FOLDER", r.folder, kPathMax);
    read.count(kFolder, u"INIT", r.init);
    read.text(kFolder, u"NEXTFOLDER", r.nextFolder, kPathMax);
    read.text(kFolder, u"NEXTFOLDERNAME", r.nextFolderName, kPathMax);
    read.count(kFolder, u"CHANGE", r.change);

    read.text(kDisp, u"FOLDERNAME", r.folderName, kPathMax);
    read.count(kDisp, u"NUM", r.num);
    for (int i = 1; i <= kListSlots; ++i) read.text(kDisp, NumberedKey(u"DISP", i), r.disp[i - 1], kDispMax);
    for (int i = 1; i <= kListSlots; ++i)
        read.text(kDisp, NumberedKey(u"FOLDERNAME", i), r.folderNames[i - 1], kPathMax);
    for (int i = 1; i <= kColumnSlots; ++i)
        read.text(kDisp, NumberedKey(u"COLUM", i), r.columns[i - 1], kColumnNameMax);
    for (int i = 1; i <= kColumnSlots; ++i)
        read.text(kDisp, NumberedKey(u"DELCOLUM", i), r.deletedColumns[i - 1], kColumnNameMax);

    read.count(kConvert, u"DOWNCONV", r.downConv);
    read.count(kConvert, u"CONVDEL", r.convDel);

    read.text(kExport, u"PATH", r.exportPath, kPathMax);
    read.text(kExport, u"Name", r.exportName, kPathMax);
    read.text(kImport, u"PATH", r.importPath, kPathMax);
    read.text(kImport, u"Name", r.importName, kPathMax);

    read.text(kCodec, u"SYSADDFOLDER", r.sysAddFolder, kPathMax);
    read.raw(kCodec, u"LEVELRVWAVOR", r.levelRvWavOr);
    read.raw(kCodec, u"LEVELRVWMAOR", r.levelRvWmaOr);
    read.raw(kCodec, u"LEVELRVORWAV", r.levelRvOrWav);

    read.count(kBackup, u"HINDO", r.hindo);
    read.count(kBackup, u"YOUBI", r.youbi);
    read.number(kBackup, u"HI", r.hi, kDayOfMonthDefault, 0, kDayOfMonthDefault);
    read.count(kBackup, u"JIKOKUHH", r.jikokuHH);
    read.count(kBackup, u"JIKOKUMM", r.jikokuMM);
    read.text(kBackup, u"ZENKAIBI", r.zenkaibi, kStampMax);
    read.count(kBackup, u"ZENKAIKA", r.zenkaika);
    read.text(kBackup, u"YOTEIBI", r.yoteibi, kStampMax);
    read.number(kBackup, u"RETRYCNT", r.retryCount, kRetryCountDefault, kRetryCountMin, kRetryCountMin);
    read.number(kBackup, u"RETRYWAIT", r.retryWait, kRetryWaitDefault, kRetryWaitMin, kRetryWaitMin);
}

void WriteAllSettings(IniDocument& ini, const SettingsRecord& r) {
    const bool remember = r.check != 0;
    const bool change = r.change == 1;

    ini.set(kLogin, u"IP", remember ? r.ip : u"");
    ini.set(kLogin, u"USER", remember ? r.user : u"");
    ini.set(kLogin, u"PASS", remember ? r.password : u"");
    ini.setInt(kLogin, u"CHECK", r.check);

    // While a change of folder is pending the next start takes NEXTFOLDER.
    ini.set(kFolder, u"FOLDER", change ? std::u16string() : WithTrailingSeparator(r.folder));
    ini.setInt(kFolder, u"INIT", r.init);
    ini.set(kFolder, u"NEXTFOLDER", r.nextFolder);
    ini.set(kFolder, u"NEXTFOLDERNAME", r.nextFolderName);
    ini.setInt(kFolder, u"CHANGE", r.change);

    ini.set(kDisp, u"FOLDERNAME", change ? r.nextFolderName : r.folderName);
    ini.setInt(kDisp, u"NUM", change ? 0 : r.num);
    for (int i = 1; i <= kListSlots; ++i)
        ini.set(kDisp, NumberedKey(u"DISP", i), change ? std::u16string() : r.disp[i - 1]);
    for (int i = 1; i <= kListSlots; ++i) ini.set(kDisp, NumberedKey(u"FOLDERNAME", i), r.folderNames[i - 1]);

    ini.setInt(kConvert, u"DOWNCONV", r.downConv);
    ini.setInt(kConvert, u"CONVDEL", r.convDel);

    ini.set(kExport, u"PATH", r.exportPath);
    ini.set(kExport, u"Name", r.exportName);
    ini.set(kImport, u"PATH", r.importPath);
    ini.set(kImport, u"Name", r.importName);

    ini.set(kCodec, u"SYSADDFOLDER", r.sysAddFolder);
    ini.setInt(kCodec, u"LEVELRVWAVOR", r.levelRvWavOr);
    ini.setInt(kCodec, u"LEVELRVWMAOR", r.levelRvWmaOr);
    ini.setInt(kCodec, u"LEVELRVORWAV", r.levelRvOrWav);

    ini.setInt(kBackup, u"HINDO", r.hindo);
    ini.setInt(kBackup, u"YOUBI", r.youbi);
    ini.setInt(kBackup, u"HI", r.hi);
    ini.setInt(kBackup, u"JIKOKUHH", r.jikokuHH);
    ini.setInt(kBackup, u"JIKOKUMM", r.jikokuMM);
    ini.set(kBackup, u"ZENKAIBI", r.zenkaibi);
    ini.setInt(kBackup, u"ZENKAIKA", r.zenkaika);
    ini.set(kBackup, u"YOTEIBI", r.yoteibi);
    ini.setInt(kBackup, u"RETRYCNT", r.retryCount);
    ini.setInt(kBackup, u"RETRYWAIT", r.retryWait);
}

}  // namespace plova
