// The ports through which logic talks to the user and the machine.
//
// Logic never shows a window, sleeps on a timer or asks the file system for
// free space itself: it goes through these small interfaces. The GUI installs
// adapters backed by Qt, the command-line tool installs quiet ones, and tests
// install the recording and scripted adapters of platform/testing.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace plova {

// ---------------------------------------------------------------- Prompt ----

enum class Icon { None, Information, Exclamation, Question, Stop };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// The answer of a box whose default (first) button is pressed.
Answer FirstButton(Buttons buttons);

class Prompt {
public:
    virtual ~Prompt() = default;
    // A modal message box with exactly this text, caption, icon and buttons.
    virtual Answer Show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) = 0;
};

// -------------------------------------------------------------- Progress ----

// Message numbers understood by the progress windows and list views.
namespace msg {
constexpr int kBarPosition = 1124;  // bar position (also toggles a tick in box selection dialogs)
constexpr int kNextItem = 1125;     // next item, counter label "%d／%d"
constexpr int kStatusDownload = 1126;
constexpr int kStatusConvert = 1127;
constexpr int kBarRange = 1128;
constexpr int kCancelMoveCopy = 1129;
constexpr int kCounterStep = 1130;
constexpr int kListNumber = 2024;
constexpr int kFlagChanged = 2025;
}  // namespace msg

// A handle to a progress window; 0 means "no such window".
using WindowHandle = std::uintptr_t;

class Progress {
public:
    virtual ~Progress() = default;
    // The top-level window with exactly this caption, or 0.
    virtual WindowHandle Find(const std::u16string& caption) = 0;
    // Deliver now (send) or queue for the next pump (post). A zero handle is ignored.
    virtual void Send(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) = 0;
    virtual void Post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) = 0;
};

// ------------------------------------------------------------------ Pump ----

class Pump {
public:
    virtual ~Pump() = default;
    // Dispatch at most one pending window message.
    virtual void DispatchOne() = 0;
};

// ----------------------------------------------------------- Cancel flag ----

// The one process-wide cancel flag: cleared by each long command, set by the
// Cancel button of any progress window, tested by every long loop.
class CancelFlag {
public:
    [[nodiscard]] bool IsSet() const { return flag_.load(std::memory_order_acquire); }
    void Set() { flag_.store(true, std::memory_order_release); }
    void Clear() { flag_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> flag_{false};
};

// ----------------------------------------------------------------- Clock ----

struct LocalTime {
    int year = 0;
    int month = 0;      // 1..12
    int day = 0;        // 1..31
    int dayOfWeek = 0;  // 0 = Sunday .. 6 = Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
};

// ------------------------------------------------------------ Disk space ----

class DiskSpace {
public:
    virtual ~DiskSpace() = default;
    // Free bytes available to the user on the file system that holds `target`
    // (which need not exist yet: the nearest existing parent is asked).
    virtual std::uint64_t FreeBytes(const std::filesystem::path& target) = 0;
};

// ----------------------------------------------------------------- Shell ----

class Shell {
public:
    virtual ~Shell() = default;
    // Open the file with the desktop's default program. True when started.
    virtual bool Open(const std::filesystem::path& file) = 0;
};

// ------------------------------------------------------------- The set ----

struct Ports {
    Prompt* prompt;
    Progress* progress;
    Pump* pump;
    CancelFlag* cancel;
    Clock* clock;
    DiskSpace* disk;
    Shell* shell;
};

// The ports in force. Until something installs its own, these are quiet
// adapters: prompts answer with their first button, no progress window exists,
// the pump does nothing, the clock and disk space are the system's and the
// shell refuses.
Ports& CurrentPorts();

// Installs a set of ports for its lifetime and restores the previous set.
// Null members keep the adapter currently in force.
class ScopedPorts {
public:
    explicit ScopedPorts(const Ports& replacement);
    ~ScopedPorts();
    ScopedPorts(const ScopedPorts&) = delete;
    ScopedPorts& operator=(const ScopedPorts&) = delete;

private:
    Ports saved_;
};

// Short forms for the calls logic makes all the time.
inline Answer ShowPrompt(const std::u16string& text, const std::u16string& caption, Icon icon,
                         Buttons buttons = Buttons::Ok) {
    return CurrentPorts().prompt->Show(text, caption, icon, buttons);
}
inline void PumpOne() {
    CurrentPorts().pump->DispatchOne();
}
inline bool CancelRequested() {
    return CurrentPorts().cancel->IsSet();
}

// The system adapters, for programs that want them explicitly.
class SystemClock final : public Clock {
public:
    LocalTime Now() override;
};

class SystemDiskSpace final : public DiskSpace {
public:
    std::uint64_t FreeBytes(const std::filesystem::path& target) override;
};

// What the system adapters ask of the system. The free bytes available to
// the user on the file system that holds `target`, or would hold it: the
// nearest folder at or above it that exists is asked, and on Windows that
// folder itself, so a share (\\server\share\…) that has no drive letter has its
// own figure. 0 when it cannot be told.
std::uint64_t FreeBytesAt(const std::filesystem::path& target);
// The local calendar time of `t`.
std::tm LocalCalendarTime(std::time_t t);

}  // namespace plova
