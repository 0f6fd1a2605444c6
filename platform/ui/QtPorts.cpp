#include "platform/ui/QtPorts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <optional>

#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"

namespace plova::ui {
namespace {

// How long the desktop's registry of programs may take to answer.
constexpr int kRegistryAnswerMs = 5000;

// The trimmed first line "xdg-mime query ARGS" prints; nothing when it
// cannot be asked or fails.
std::optional<QString> queryOf(const QString& registry, const QStringList& args) {
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(registry, QStringList{QStringLiteral("query")} + args);
    if (!process.waitForFinished(kRegistryAnswerMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
}

QMessageBox::Icon iconOf(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Stop: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// What a box closed without a button press (Esc, the close box) answers.
Answer dismissedAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    default: return Answer::Cancel;
    }
}

}  // namespace

QEvent::Type WindowMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

Answer QtPrompt::Show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdU16String(caption));
    // The texts carry Windows line ends; the box wants plain line feeds.
    box.setText(QString::fromStdU16String(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconOf(icon));

    std::map<QAbstractButton*, Answer> answers;
    auto add = [&](const char16_t* label, QMessageBox::ButtonRole role, Answer answer) {
        QPushButton* b = box.addButton(Qs(label), role);
        answers[b] = answer;
        return b;
    };
    QPushButton* first = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        first = add(buttontext::kOk, QMessageBox::AcceptRole, Answer::Ok);
        box.setEscapeButton(first);
        break;
    case Buttons::OkCancel:
        first = add(buttontext::kOk, QMessageBox::AcceptRole, Answer::Ok);
        box.setEscapeButton(add(buttontext::kCancel, QMessageBox::RejectRole, Answer::Cancel));
        break;
    case Buttons::YesNo:
        first = add(buttontext::kYes, QMessageBox::YesRole, Answer::Yes);
        add(buttontext::kNo, QMessageBox::NoRole, Answer::No);
        break;
    case Buttons::YesNoCancel:
        first = add(buttontext::kYes, QMessageBox::YesRole, Answer::Yes);
        add(buttontext::kNo, QMessageBox::NoRole, Answer::No);
        box.setEscapeButton(add(buttontext::kCancel, QMessageBox::RejectRole, Answer::Cancel));
        break;
    case Buttons::RetryCancel:
        first = add(buttontext::kRetry, QMessageBox::AcceptRole, Answer::Retry);
        box.setEscapeButton(add(buttontext::kCancel, QMessageBox::RejectRole, Answer::Cancel));
        break;
    }
    // The first button is the default one, as on the platform's message boxes.
    box.setDefaultButton(first);
    box.exec();
    const auto it = answers.find(box.clickedButton());
    return it != answers.end() ? it->second : dismissedAnswer(buttons);
}

WindowHandle QtProgress::handleOf(QWidget* w) {
    for (const auto& [handle, window] : windows_)
        if (window == w) return handle;
    // Forget windows that are gone, so the table stays small.
    for (auto it = windows_.begin(); it != windows_.end();) it = it->second ? std::next(it) : windows_.erase(it);
    const WindowHandle h = next_++;
    windows_[h] = w;
    return h;
}

WindowHandle QtProgress::Find(const std::u16string& caption) {
    const QString title = QString::fromStdU16String(caption);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title) return handleOf(w);
    return 0;
}

QWidget* QtProgress::Window(WindowHandle handle) const {
    const auto it = windows_.find(handle);
    return it != windows_.end() ? it->second.data() : nullptr;
}

void QtProgress::Send(WindowHandle handle, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (QWidget* w = Window(handle)) {
        WindowMessageEvent event(message, wparam, lparam);
        QCoreApplication::sendEvent(w, &event);
    }
}

void QtProgress::Post(WindowHandle handle, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (QWidget* w = Window(handle)) QCoreApplication::postEvent(w, new WindowMessageEvent(message, wparam, lparam));
}

void QtPump::DispatchOne() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtShell::Open(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    const QString path = QsOfPath(ec ? file : absolute);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // The opener only tells, by its exit status, that it found no program
    // after trying a row of them, and a program it finds it may run in the
    // foreground until the user closes it: ask the desktop's registry first.
    const QString registry = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!registry.isEmpty()) {
        const std::optional<QString> type = queryOf(registry, {QStringLiteral("filetype"), path});
        if (type && !type->isEmpty()) {
            const std::optional<QString> program = queryOf(registry, {QStringLiteral("default"), *type});
            if (program && program->isEmpty()) return false;
        }
    }
    return QProcess::startDetached(opener, {path});
}

QtPorts::QtPorts() : scope_(Ports{&prompt, &progress, &pump, nullptr, nullptr, nullptr, &shell}) {}

}  // namespace plova::ui
