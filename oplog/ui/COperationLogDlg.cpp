#include "oplog/ui/COperationLogDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {

constexpr int kDayFieldChars = 10;
constexpr int kInitialWidth = 900;
constexpr int kInitialHeight = 480;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

COperationLogDlg::COperationLogDlg(oplog::Journal journal, QWidget* parent)
    : QDialog(parent), journal_(std::move(journal)) {
    using namespace oplogdlg;
    setWindowTitle(Qs(kCaption));
    since_ = new QLineEdit(this);
    until_ = new QLineEdit(this);
    for (QLineEdit* day : {since_, until_}) {
        day->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
        day->setMaxLength(kDayFieldChars);
    }
    operation_ = new QComboBox(this);
    operation_->addItem(Qs(kAll), QString());
    for (const std::string_view name : oplog::kOperations) {
        const QString text = fromUtf8(std::string(name));
        operation_->addItem(text, text);
    }
    message_ = new QLineEdit(this);
    auto* show = new QPushButton(Qs(kShow), this);
    show->setDefault(true);
    connect(show, &QPushButton::clicked, this, &COperationLogDlg::Show);

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(Qs(kSince), this), 0, 0);
    filters->addWidget(since_, 0, 1);
    filters->addWidget(new QLabel(Qs(kUntil), this), 0, 2);
    filters->addWidget(until_, 0, 3);
    filters->addWidget(new QLabel(Qs(kOperation), this), 1, 0);
    filters->addWidget(operation_, 1, 1);
    filters->addWidget(new QLabel(Qs(kMessage), this), 1, 2);
    filters->addWidget(message_, 1, 3);
    filters->addWidget(show, 1, 4);

    table_ = new QTableWidget(0, static_cast<int>(std::size(kColumns)), this);
    QStringList titles;
    for (const std::u16string_view title : kColumns) titles << Qs(title);
    table_->setHorizontalHeaderLabels(titles);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    status_ = new QLabel(this);

    auto* body = new QVBoxLayout;
    body->addLayout(filters);
    body->addWidget(table_, 1);
    body->addWidget(status_);
    auto* close = new QPushButton(Qs(kClose), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    LayOutDialog(*this, body, ButtonRow({close}));
    resize(kInitialWidth, kInitialHeight);
    Show();
}

void COperationLogDlg::Show() {
    using namespace oplogdlg;
    oplog::LogFilter filter;
    filter.since = since_->text().trimmed().toStdString();
    filter.until = until_->text().trimmed().toStdString();
    filter.operation = operation_->currentData().toString().toStdString();
    filter.message = message_->text().toStdString();
    table_->setRowCount(0);
    if (oplog::ProblemOf(filter)) {
        status_->setText(Qs(kBadFilter));
        return;
    }
    std::vector<std::string> problems;
    const std::vector<oplog::Entry> entries = oplog::Select(journal_.ReadAll(problems), filter);
    table_->setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
        const oplog::Entry& e = entries[static_cast<std::size_t>(row)];
        const std::string cells[] = {oplog::TimeText(e),
                                     e.operation,
                                     std::string(oplog::NameOf(e.result)),
                                     oplog::WhoText(e),
                                     oplog::MainUnitText(e),
                                     e.boxFolder,
                                     e.detail,
                                     oplog::MessagesText(e)};
        for (int column = 0; column < static_cast<int>(std::size(cells)); ++column) {
            auto* item = new QTableWidgetItem(fromUtf8(cells[column]));
            item->setToolTip(item->text());
            table_->setItem(row, column, item);
        }
    }
    table_->resizeColumnsToContents();
    QString status = QString::number(entries.size()) + Qs(kCount);
    if (!problems.empty()) status += QStringLiteral("  ") + Qs(kUnreadable) + fromUtf8(problems.front());
    status_->setText(status);
    if (!entries.empty()) table_->scrollToBottom();
}

}  // namespace plova::ui
