// The backup settings dialog ("自動バックアップの設定"): frequency, weekday,
// day of month and time of the automatic backup.
#pragma once

#include "backup/BackupSettingsHost.h"
#include "platform/ui/BackupTimedDlg.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QTimeEdit;

namespace plova::ui {

namespace bakupset {
constexpr char16_t kCaption[] = u"自動バックアップの設定";
constexpr char16_t kFrequencyGroup[] = u"バックアップ頻度";
constexpr char16_t kNever[] = u"しない";
constexpr char16_t kDaily[] = u"毎日";
constexpr char16_t kWeekly[] = u"毎週";
constexpr char16_t kMonthly[] = u"毎月";
constexpr char16_t kWeekday[] = u"曜日";
constexpr char16_t kDay[] = u"日";
constexpr char16_t kTime[] = u"時刻";
}  // namespace bakupset

class CABakUpSetDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    CABakUpSetDlg(backup::SettingsHost& settings, DialogBackupWatch* watch, QWidget* parent = nullptr);

    // False when the stored time cannot be shown (hour above 23, minute above
    // 59): the dialog is not to be run.
    [[nodiscard]] bool Opened() const { return opened_; }
    [[nodiscard]] const backup::Schedule& Form() const { return form_; }

    [[nodiscard]] QButtonGroup* FrequencyButtons() const { return frequency_; }
    [[nodiscard]] QComboBox* WeekdayList() const { return weekday_; }
    [[nodiscard]] QComboBox* DayList() const { return day_; }
    [[nodiscard]] QTimeEdit* TimePicker() const { return time_; }
    [[nodiscard]] QLabel* LastRun() const { return lastRun_; }
    [[nodiscard]] QLabel* NextRun() const { return nextRun_; }

    // "OK": the form into the settings with the next-due time.
    void OnOK();

private:
    void showEnabling();
    void showNextRun();

    backup::SettingsHost& settings_;
    backup::Schedule form_;
    bool opened_ = false;
    QButtonGroup* frequency_ = nullptr;
    QComboBox* weekday_ = nullptr;
    QComboBox* day_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QLabel* lastRun_ = nullptr;
    QLabel* nextRun_ = nullptr;
};

}  // namespace plova::ui
