// The real main window over a box folder of the tests' own making, for the
// tests of the list windows and the commands on them: the settings file,
// a dialog runner the test answers, and the open dialog driven as a user would.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/CommandTable.h"
#include "app/ui/CMainFrame.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "platform/IniFile.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova::ui::testkit_ui {

class ListFrameFixture : public ::testing::Test {
protected:
    using BoxNames = std::vector<QString>;

    plova::testkit::TestPorts ports;
    plova::testkit::TempFolder dir{"ui-lists"};
    std::filesystem::path ini = dir / "PLOVA.ini";
    plova::testkit::BoxFolderBuilder box{dir / "root", "office"};
    std::unique_ptr<CMainFrame> frame;
    std::function<int(QDialog&)> answer;

    void TearDown() override { frame.reset(); }

    // Boxes 0001 to 0003 with messages of every kind (played on the main
    // unit, information only), extension box 2001, response messages 5 and
    // 12, and the columns the lists show.
    void addSampleBoxFolder() {
        box.Add("rusuroku", "0001", "202612010900");
        box.Add("rusuroku", "0001", "202612030900", "vmdat", kPlayedOnMainUnit);
        box.Add("rusuroku", "0001", "202612020900");
        box.Add("rusuroku", "0002", "202612040900");
        box.Add("rusuroku", "0002", "202612050900", "vminf", kInfoOnly);
        box.Add("rusuroku", "0003", "202612060900");
        box.Add("naisen", "2001", "202612070900");
        box.AddResponse(5);
        box.AddResponse(12);
        writeFolderSettings({u"ﾌﾗｸﾞ", u"取込", u"再生/未再生", u"保護/非保護", u"BOX番号", u"相手番号", u"相手名称",
                             u"日時", u"録音時間", u"ファイル名"});
    }

    // The box folder "office" under "root" as the open folder, with these columns.
    void writeFolderSettings(const std::vector<std::u16string>& columns) {
        WriteProfileText(ini, u"FOLDER", u"FOLDER", (dir / "root").u16string());
        WriteProfileText(ini, u"DISP", u"FOLDERNAME", u"office");
        for (std::size_t i = 0; i < columns.size(); ++i)
            WriteProfileText(ini, u"DISP", u"COLUM" + FromUtf8(std::to_string(i + 1)), columns[i]);
    }

    void make() {
        CMainFrame::Options o;
        o.settingsFile = ini;
        frame = std::make_unique<CMainFrame>(o);
        frame->SetDialogRunner([this](QDialog& d) { return answer ? answer(d) : int(QDialog::Rejected); });
        frame->resize(1000, 700);
        frame->show();
        frame->ApplyStartup();
    }

    static void tick(CCheckListCtrl* list, const BoxNames& names) {
        for (int row = 0; row < list->rowCount(); ++row)
            if (std::find(names.begin(), names.end(), list->BoxName(row)) != names.end()) list->Toggle(row);
    }

    // Command `id` with `drive` acting on its dialog of type D; the dialog's result.
    template <typename D>
    int run(int id, const std::function<void(D&)>& drive) {
        int result = -1;
        answer = [&](QDialog& d) -> int {
            auto* dialog = dynamic_cast<D*>(&d);
            if (!dialog) return QDialog::Rejected;
            drive(*dialog);
            return result = dialog->result();
        };
        frame->OnCommand(id);
        answer = nullptr;
        return result;
    }

    // "ボックス" with these boxes ticked (or the response list); the dialog's result.
    int open(const BoxNames& answering, const BoxNames& extension = {}, bool response = false,
             const std::function<void(CBoxOpenDlg&)>& look = {}) {
        return run<CBoxOpenDlg>(cmd::kOpenBoxes, [&](CBoxOpenDlg& dialog) {
            if (look) look(dialog);
            tick(dialog.AnsweringList(), answering);
            tick(dialog.ExtensionList(), extension);
            if (response) dialog.ResponseRadio()->setChecked(true);
            dialog.OpenButton()->click();
        });
    }

    [[nodiscard]] std::vector<CListDispView*> views() const { return frame->Lists()->Views(); }
    [[nodiscard]] CListDispView* active() const { return frame->Lists()->ActiveView(); }
    [[nodiscard]] std::u16string lastMessage() const {
        return ports.prompt.shown.empty() ? u"" : ports.prompt.shown.back().text;
    }
};

}  // namespace plova::ui::testkit_ui
