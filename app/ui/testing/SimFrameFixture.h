// The main window over a simulated main unit: a seeded unit on loopback, a
// settings file that opens a box folder under "pc", the test ports, and a
// dialog runner that the test answers in place of a person.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "app/FtpMainUnitSession.h"
#include "app/ui/CMainFrame.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "platform/IniFile.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"

namespace plova::ui {

class SimFrameFixture : public ::testing::Test {
protected:
    explicit SimFrameFixture(const char* tempName) : dir(tempName) {}

    // Seeds the main unit's disk and starts the simulator on it.
    void startUnit(const sim::SeedOptions& seed) {
        ASSERT_NO_FATAL_FAILURE(unit.Seed(seed));
        unit.Start();
    }
    void TearDown() override {
        frame.reset();
        unit.Stop();
    }

    // The program with `folderName` under the root open, logged in unless told otherwise.
    void make(bool login = true, const std::string& folderName = "demo") {
        std::ofstream(ini) << "[FOLDER]\r\nFOLDER=" << (dir / "pc").string() << testkit::kSeparatorChar
                           << "\r\nINIT=0\r\n"
                           << "[DISP]\r\nFOLDERNAME=" << folderName << "\r\nNUM=0\r\n";
        // The list windows show the columns the settings name.
        WriteProfileText(ini, u"DISP", u"COLUM1", u"ファイル名");
        CMainFrame::Options o;
        o.settingsFile = ini;
        o.sessionFactory = FtpSessionFactory(unit.Port());
        frame = std::make_unique<CMainFrame>(o);
        frame->SetDialogRunner([this](QDialog& d) {
            dialogs << d.windowTitle();
            return answer ? answer(d) : int(QDialog::Rejected);
        });
        if (login) logIn();
    }
    void logIn() {
        ASSERT_EQ(frame->Session().PressLogin({u"127.0.0.1", u"qermo", u"pass", false}), LoginPress::LoggedIn);
    }
    // "ボックス" with answering-machine box `boxName` ticked; the new list window's view.
    // The start-up steps run first unless `started`.
    CListDispView* openAnsweringBox(const QString& boxName, bool started = false) {
        if (!started) frame->ApplyStartup();
        answer = [boxName](QDialog& d) -> int {
            auto* open = dynamic_cast<CBoxOpenDlg*>(&d);
            if (!open) return QDialog::Rejected;
            CCheckListCtrl* list = open->AnsweringList();
            for (int row = 0; row < list->rowCount(); ++row)
                if (list->BoxName(row) == boxName) list->Toggle(row);
            open->OpenButton()->click();
            return open->result();
        };
        frame->OnCommand(cmd::kOpenBoxes);
        answer = nullptr;
        return frame->Lists()->ActiveView();
    }
    std::filesystem::path box(const char* rel) const { return dir / "pc" / "demo" / rel; }
    [[nodiscard]] std::vector<std::string> shownTexts() const {
        std::vector<std::string> out;
        for (const auto& s : ports.prompt.shown) out.push_back(testkit::Utf8(s.text));
        return out;
    }

    testkit::TestPorts ports;
    testkit::TempFolder dir;
    std::filesystem::path ini = dir / "PLOVA.ini";
    testkit::SimUnit unit{dir / "unit", "qermo", "pass"};
    std::unique_ptr<CMainFrame> frame;
    QStringList dialogs;
    std::function<int(QDialog&)> answer;
};

}  // namespace plova::ui
