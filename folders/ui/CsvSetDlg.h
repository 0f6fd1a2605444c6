// What the export and import dialogs share: a text, a group with "設定", a
// folder edit and a file edit, a progress bar hidden until the work starts,
// "OK" (enabled when both edits hold text) and "キャンセル" (which, while the
// work runs, only asks it to stop). Each dialog has a first state and a
// working state with texts of its own.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string_view>

#include "folders/CsvExport.h"
#include "platform/ui/BackupTimedDlg.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace plova::ui {

class FolderHost;
struct CsvPlace;

class CsvSetDlg : public BackupTimedDlg {
    Q_OBJECT
public:
    struct Texts {
        std::u16string_view caption, text;                // first state
        std::u16string_view workingCaption, workingText;  // while the work runs
        std::u16string_view group;
        std::u16string_view chooserTitle;
        CsvUse use;
    };

    [[nodiscard]] QLineEdit* FolderEdit() const { return folder_; }
    [[nodiscard]] QLineEdit* FileEdit() const { return file_; }
    [[nodiscard]] QPushButton* BrowseButton() const { return browse_; }
    [[nodiscard]] QPushButton* OkButton() const { return ok_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
    [[nodiscard]] QProgressBar* ProgressBar() const { return bar_; }
    [[nodiscard]] QLabel* TextLabel() const { return text_; }
    [[nodiscard]] bool Working() const { return working_; }

    // "設定": the file chooser; the chosen path goes into the two edits.
    void OnBrowse();
    // "OK".
    virtual void OnOK() = 0;
    // Closes the dialog, or while the work runs only asks it to stop.
    void reject() override;

    // How "設定" asks for a file; tests answer in place of a person.
    void SetFileChooser(std::function<QString(const QString& start)> choose) { choose_ = std::move(choose); }

protected:
    // The edits start with the stored folder and file name.
    CsvSetDlg(FolderHost& host, const Texts& texts, const CsvPlace& start);

    // Folder + separator + file, as the edits hold them.
    [[nodiscard]] std::filesystem::path chosenPath() const;
    [[nodiscard]] std::u16string folderTextNow() const;
    [[nodiscard]] std::u16string fileTextNow() const;
    // Working state: its caption and text, "OK" off, the bar shown over `range`.
    void setWorking(bool working, int range = 0);

    FolderHost& host_;

private:
    void updateOk();

    Texts texts_;
    QLabel* text_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLineEdit* file_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool working_ = false;
    std::function<QString(const QString&)> choose_;
};

}  // namespace plova::ui
