// Test adapters for the ports: they record what logic shows and sends, and
// answer or act from a script.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Ports.h"

namespace plova::testkit {

class RecordingPrompt final : public Prompt {
public:
    struct Shown {
        std::u16string text;
        std::u16string caption;
        Icon icon;
        Buttons buttons;
    };
    // Answers are taken in order; when none is queued the first button is pressed.
    void Queue(Answer a) { answers_.push_back(a); }
    Answer Show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) override;

    std::vector<Shown> shown;

private:
    std::deque<Answer> answers_;
};

class RecordingProgress final : public Progress {
public:
    struct Sent {
        WindowHandle window;
        int message;
        std::intptr_t wparam;
        std::intptr_t lparam;
        bool posted;
    };
    // Makes a window with this caption findable; returns its handle.
    WindowHandle Open(const std::u16string& caption);
    void Close(const std::u16string& caption) { windows_.erase(caption); }

    WindowHandle Find(const std::u16string& caption) override;
    void Send(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) override;
    void Post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) override;

    // Messages of one number, in order.
    [[nodiscard]] std::vector<Sent> Of(int message) const;
    std::vector<Sent> sent;

private:
    std::map<std::u16string, WindowHandle> windows_;
    WindowHandle next_ = 1;
};

// Counts dispatches and runs scripted actions at chosen steps (1-based):
// press Cancel at step k, stop the server at step k, ...
class ScriptedPump final : public Pump {
public:
    void At(long step, std::function<void()> action) { actions_.emplace(step, std::move(action)); }
    void Every(std::function<void()> action) { every_ = std::move(action); }
    void DispatchOne() override;
    long steps = 0;

private:
    std::multimap<long, std::function<void()>> actions_;
    std::function<void()> every_;
};

class SteppedClock final : public Clock {
public:
    explicit SteppedClock(LocalTime start) : now_(start) {}
    LocalTime Now() override { return now_; }
    void Set(LocalTime t) { now_ = t; }
    void AdvanceMinutes(int minutes);

private:
    LocalTime now_;
};

class FixedDiskSpace final : public DiskSpace {
public:
    explicit FixedDiskSpace(std::uint64_t bytes) : bytes_(bytes) {}
    std::uint64_t FreeBytes(const std::filesystem::path&) override { return bytes_; }
    void Set(std::uint64_t bytes) { bytes_ = bytes; }

private:
    std::uint64_t bytes_;
};

class RecordingShell final : public Shell {
public:
    bool Open(const std::filesystem::path& file) override {
        opened.push_back(file);
        return starts;
    }
    std::vector<std::filesystem::path> opened;
    bool starts = true;  // false: as a desktop with no program for the file
};

// Every test adapter at once, installed for the fixture's lifetime.
struct TestPorts {
    RecordingPrompt prompt;
    RecordingProgress progress;
    ScriptedPump pump;
    CancelFlag cancel;
    SteppedClock clock{LocalTime{2026, 12, 7, 1, 10, 30, 0, 0}};
    FixedDiskSpace disk{std::uint64_t{1} << 40};
    RecordingShell shell;
    ScopedPorts scope{Ports{&prompt, &progress, &pump, &cancel, &clock, &disk, &shell}};
};

// UTF-8 for readable assertion messages.
std::string Utf8(const std::u16string& s);

}  // namespace plova::testkit
