#include "platform/ui/DialogLayout.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTranslator>
#include <QVBoxLayout>
#include <memory>

namespace plova::ui {
namespace {
constexpr int kFontPointSize = 9;
}  // namespace

void ApplyApplicationFont() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")});
    font.setPointSize(kFontPointSize);
    QApplication::setFont(font);
}

bool LoadQtJapanese() {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto translator = std::make_unique<QTranslator>();
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    for (const QString& folder : {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
        if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            installed = translator.release();
            installed->setParent(QCoreApplication::instance());
            return QCoreApplication::installTranslator(installed);
        }
    }
    return false;
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons, RowAlign align) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons) row->addWidget(b);
    if (align == RowAlign::Centre) row->addStretch(1);
    return row;
}

OkCancel MakeOkCancel(QDialog& dialog, std::function<void()> onOk) {
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), &dialog);
    ok->setDefault(true);
    if (onOk)
        QObject::connect(ok, &QPushButton::clicked, &dialog, std::move(onOk));
    else
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return {ok, cancel};
}

QHBoxLayout* OkCancelRow(QDialog& dialog, std::function<void()> onOk) {
    const OkCancel buttons = MakeOkCancel(dialog, std::move(onOk));
    return ButtonRow({buttons.ok, buttons.cancel});
}

void LayOutDialog(QDialog& dialog, QLayout* body, QLayout* buttons) {
    dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(body);
    // A progress window has no buttons.
    if (buttons) {
        layout->addSpacing(12);
        layout->addLayout(buttons);
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LayOutProgressDialog(QDialog& dialog, QLabel* status, QLabel* counter, QProgressBar* bar, QLayout* buttons) {
    auto* body = new QVBoxLayout;
    auto* texts = new QHBoxLayout;
    texts->addWidget(status, 1);
    texts->addWidget(counter);
    body->addLayout(texts);
    body->addWidget(bar);
    LayOutDialog(dialog, body, buttons);
}

void LayOutMessageDialog(QDialog& dialog, QStyle::StandardPixmap icon, QLayout* body, QLayout* buttons) {
    auto* picture = new QLabel(&dialog);
    const int size = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    picture->setPixmap(dialog.style()->standardIcon(icon, nullptr, &dialog).pixmap(size, size));

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(body, 1);
    LayOutDialog(dialog, top, buttons);
}

}  // namespace plova::ui
