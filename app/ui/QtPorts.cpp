#include "app/ui/QtPorts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/ui/DialogLayout.h"

namespace plova::ui {
namespace {

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

QEvent::Type WindowMessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

Answer QtPrompt::show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdU16String(caption));
    // The texts carry Windows line ends; the box wants plain line feeds.
    box.setText(QString::fromStdU16String(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconOf(icon));

    std::map<QAbstractButton*, Answer> answers;
    auto add = [&](const char16_t* label, QMessageBox::ButtonRole role, Answer answer) {
        QPushButton* b = box.addButton(qs(label), role);
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

WindowHandle QtProgress::find(const std::u16string& caption) {
    const QString title = QString::fromStdU16String(caption);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title) return handleOf(w);
    return 0;
}

QWidget* QtProgress::window(WindowHandle handle) const {
    const auto it = windows_.find(handle);
    return it != windows_.end() ? it->second.data() : nullptr;
}

void QtProgress::send(WindowHandle handle, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (QWidget* w = window(handle)) {
        WindowMessageEvent event(message, wparam, lparam);
        QCoreApplication::sendEvent(w, &event);
    }
}

void QtProgress::post(WindowHandle handle, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (QWidget* w = window(handle)) QCoreApplication::postEvent(w, new WindowMessageEvent(message, wparam, lparam));
}

void QtPump::dispatchOne() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtShell::open(const std::filesystem::path& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

QtPorts::QtPorts() : scope_(Ports{&prompt, &progress, &pump, nullptr, nullptr, nullptr, &shell}) {}

}  // namespace plova::ui
