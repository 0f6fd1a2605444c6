#include "folders/ui/CImportSetDlg.h"

#include <QProgressBar>

#include "folders/BoxNameImport.h"
#include "folders/ui/FolderHost.h"
#include "platform/Ports.h"

namespace plova::ui {
namespace fs = std::filesystem;
namespace {

const CsvSetDlg::Texts kImportTexts{
    u"インポート設定", u"内線ボックス名称をインポートします。",
    u"インポート中",   u"内線ボックス名称をインポート中です。",
    u"インポート元",   csv::kImportChooserTitle,
    CsvUse::Import,
};

}  // namespace

CImportSetDlg::CImportSetDlg(FolderHost& host, fs::path naisenFolder)
    : CsvSetDlg(host, kImportTexts, host.RememberedCsvPlace(CsvUse::Import)), naisen_(std::move(naisenFolder)) {}

void CImportSetDlg::OnOK() {
    if (Working()) return;
    CurrentPorts().cancel->Clear();
    setWorking(true);
    QProgressBar* bar = ProgressBar();
    const ImportHooks hooks{[bar](int range) { bar->setRange(0, std::max(range, 1)); },
                            [bar] { bar->setValue(std::min(bar->value() + 1, bar->maximum())); }};
    const ImportResult result = ImportBoxNames(chosenPath(), naisen_, hooks);
    if (result == ImportResult::Completed) {
        bar->setValue(bar->maximum());
        host_.RememberCsvPlace(CsvUse::Import, {folderTextNow(), fileTextNow()});
        setWorking(false);
        accept();
        return;
    }
    if (result == ImportResult::CannotOpen)
        ShowPrompt(std::u16string(boximport::kImportError), std::u16string(boximport::kErrorCaption),
                   Icon::Exclamation);
    // Nothing was named: the user is told so and may choose another file.
    if (result == ImportResult::NothingNamed)
        ShowPrompt(std::u16string(boximport::kNothingNamed), std::u16string(boximport::kErrorCaption),
                   Icon::Exclamation);
    setWorking(false);
}

}  // namespace plova::ui
