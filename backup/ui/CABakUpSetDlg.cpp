#include "backup/ui/CABakUpSetDlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {
namespace {

constexpr const char16_t* kWeekdays[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日", u"木曜日", u"金曜日", u"土曜日"};
constexpr int kDays = 31;

}  // namespace

CABakUpSetDlg::CABakUpSetDlg(backup::SettingsHost& settings, DialogBackupWatch* watch, QWidget* parent)
    : BackupTimedDlg(watch, parent), settings_(settings) {
    setWindowTitle(Qs(bakupset::kCaption));
    const auto form = settings_.OpenScheduleForm();
    opened_ = form.has_value();
    if (form) form_ = *form;

    auto* group = new QGroupBox(Qs(bakupset::kFrequencyGroup), this);
    auto* radios = new QHBoxLayout(group);
    frequency_ = new QButtonGroup(this);
    const std::pair<int, const char16_t*> choices[] = {{backup::kNever, bakupset::kNever},
                                                       {backup::kDaily, bakupset::kDaily},
                                                       {backup::kWeekly, bakupset::kWeekly},
                                                       {backup::kMonthly, bakupset::kMonthly}};
    for (const auto& [value, caption] : choices) {
        auto* radio = new QRadioButton(Qs(caption), group);
        frequency_->addButton(radio, value);
        radios->addWidget(radio);
    }
    frequency_->button(form_.frequency)->setChecked(true);
    connect(frequency_, &QButtonGroup::idClicked, this, [this](int id) {
        form_.frequency = id;
        showEnabling();
        showNextRun();
    });

    weekday_ = new QComboBox(this);
    weekday_->setObjectName(QStringLiteral("weekday"));
    for (const char16_t* w : kWeekdays) weekday_->addItem(Qs(w));
    weekday_->setCurrentIndex(form_.weekday);
    connect(weekday_, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.weekday = i;
        showNextRun();
    });

    day_ = new QComboBox(this);
    day_->setObjectName(QStringLiteral("day"));
    for (int d = 1; d <= kDays; ++d) day_->addItem(QString::asprintf("%02d", d));
    day_->setCurrentIndex(form_.day - 1);
    connect(day_, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.day = i + 1;
        showNextRun();
    });

    time_ = new QTimeEdit(this);
    time_->setObjectName(QStringLiteral("time"));
    time_->setDisplayFormat(QStringLiteral("HH:mm"));
    time_->setTime(QTime(form_.hour, form_.minute, 0));
    connect(time_, &QTimeEdit::timeChanged, this, [this](QTime t) {
        form_.hour = t.hour();
        form_.minute = t.minute();
        showNextRun();
    });

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(Qs(bakupset::kWeekday), this), 0, 0);
    fields->addWidget(weekday_, 0, 1);
    fields->addWidget(new QLabel(Qs(bakupset::kDay), this), 1, 0);
    fields->addWidget(day_, 1, 1);
    fields->addWidget(new QLabel(Qs(bakupset::kTime), this), 2, 0);
    fields->addWidget(time_, 2, 1);
    // The last run and the next, so that nobody has to wait for one to
    // know the backup works.
    const backup::RunHistory history = settings_.History();
    lastRun_ = new QLabel(Qs(backup::LastRunText(history.lastEnd, history.lastResult)), this);
    lastRun_->setObjectName(QStringLiteral("lastRun"));
    nextRun_ = new QLabel(Qs(backup::NextRunText(history.nextDue)), this);
    nextRun_->setObjectName(QStringLiteral("nextRun"));
    auto* body = new QVBoxLayout;
    body->addWidget(group);
    body->addLayout(fields);
    body->addWidget(lastRun_);
    body->addWidget(nextRun_);

    LayOutDialog(*this, body, OkCancelRow(*this, [this] { OnOK(); }));
    showEnabling();
}

void CABakUpSetDlg::showEnabling() {
    weekday_->setEnabled(form_.WeekdayEnabled());
    day_->setEnabled(form_.DayEnabled());
    time_->setEnabled(form_.TimeEnabled());
}

void CABakUpSetDlg::showNextRun() {
    // What "OK" would schedule, as the form now stands.
    nextRun_->setText(Qs(backup::NextRunText(backup::NextDueStamp(form_, CurrentPorts().clock->Now()))));
}

void CABakUpSetDlg::OnOK() {
    stopDialogBackupTimer();
    settings_.ApplyScheduleForm(form_, CurrentPorts().clock->Now());
    accept();
}

}  // namespace plova::ui
