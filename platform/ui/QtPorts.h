// The ports as the desktop program provides them: message boxes, progress
// windows found by their caption, one pass of the event loop, the default
// player. main() installs them once; logic reaches them through CurrentPorts().
#pragma once

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <map>

#include "platform/Ports.h"

namespace plova::ui {

// A message number with its two parameters, delivered to a top-level window
// by the Progress port. Windows that take part override customEvent() and
// test `event->type() == WindowMessageEvent::EventType()`.
class WindowMessageEvent final : public QEvent {
public:
    WindowMessageEvent(int message, std::intptr_t wparam, std::intptr_t lparam)
        : QEvent(EventType()), message_(message), wparam_(wparam), lparam_(lparam) {}
    static QEvent::Type EventType();
    [[nodiscard]] int Message() const { return message_; }
    [[nodiscard]] std::intptr_t Wparam() const { return wparam_; }
    [[nodiscard]] std::intptr_t Lparam() const { return lparam_; }

private:
    int message_;
    std::intptr_t wparam_;
    std::intptr_t lparam_;
};

// QMessageBox with exactly the caption, text, icon and buttons asked for,
// owned by the active window (or by none).
class QtPrompt final : public Prompt {
public:
    Answer Show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) override;
};

// Finds visible top-level windows by their title. Handles are small numbers
// that stay valid as long as the window lives: a message to a window that has
// gone since it was found is dropped.
class QtProgress final : public Progress {
public:
    WindowHandle Find(const std::u16string& caption) override;
    void Send(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) override;
    void Post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) override;

    // The window behind a handle; null when unknown or gone.
    [[nodiscard]] QWidget* Window(WindowHandle handle) const;

private:
    WindowHandle handleOf(QWidget* w);
    std::map<WindowHandle, QPointer<QWidget>> windows_;
    WindowHandle next_ = 1;
};

// One pass of the event loop.
class QtPump final : public Pump {
public:
    void DispatchOne() override;
};

// The desktop's default program for the file.
class QtShell final : public Shell {
public:
    bool Open(const std::filesystem::path& file) override;
};

// All four installed for the object's lifetime; the cancel flag, the clock
// and the disk space stay as they are.
class QtPorts {
public:
    QtPorts();
    QtPrompt prompt;
    QtProgress progress;
    QtPump pump;
    QtShell shell;

private:
    ScopedPorts scope_;
};

// Texts of the standard buttons, as the platform's Japanese message boxes label them.
namespace buttontext {
constexpr char16_t kOk[] = u"OK";
constexpr char16_t kCancel[] = u"キャンセル";
constexpr char16_t kYes[] = u"はい(&Y)";
constexpr char16_t kNo[] = u"いいえ(&N)";
constexpr char16_t kRetry[] = u"再試行(&R)";
}  // namespace buttontext

}  // namespace plova::ui
