#include "platform/Ports.h"

#include <chrono>
#include <ctime>

namespace plova {
namespace {

class QuietPrompt final : public Prompt {
public:
    Answer Show(const std::u16string&, const std::u16string&, Icon, Buttons buttons) override {
        return FirstButton(buttons);
    }
};

class NoProgress final : public Progress {
public:
    WindowHandle Find(const std::u16string&) override { return 0; }
    void Send(WindowHandle, int, std::intptr_t, std::intptr_t) override {}
    void Post(WindowHandle, int, std::intptr_t, std::intptr_t) override {}
};

class NoPump final : public Pump {
public:
    void DispatchOne() override {}
};

class NoShell final : public Shell {
public:
    bool Open(const std::filesystem::path&) override { return false; }
};

struct Defaults {
    QuietPrompt prompt;
    NoProgress progress;
    NoPump pump;
    CancelFlag cancel;
    SystemClock clock;
    SystemDiskSpace disk;
    NoShell shell;
};

Defaults& defaults() {
    static Defaults d;
    return d;
}

}  // namespace

Answer FirstButton(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::Yes;
    case Buttons::RetryCancel: return Answer::Retry;
    default: return Answer::Ok;
    }
}

Ports& CurrentPorts() {
    static Ports current{&defaults().prompt, &defaults().progress, &defaults().pump, &defaults().cancel,
                         &defaults().clock,  &defaults().disk,     &defaults().shell};
    return current;
}

ScopedPorts::ScopedPorts(const Ports& replacement) : saved_(CurrentPorts()) {
    Ports& p = CurrentPorts();
    if (replacement.prompt) p.prompt = replacement.prompt;
    if (replacement.progress) p.progress = replacement.progress;
    if (replacement.pump) p.pump = replacement.pump;
    if (replacement.cancel) p.cancel = replacement.cancel;
    if (replacement.clock) p.clock = replacement.clock;
    if (replacement.disk) p.disk = replacement.disk;
    if (replacement.shell) p.shell = replacement.shell;
}

ScopedPorts::~ScopedPorts() {
    CurrentPorts() = saved_;
}

LocalTime SystemClock::Now() {
    using namespace std::chrono;
    const auto t = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(t);
    const std::tm tm = LocalCalendarTime(secs);
    LocalTime lt;
    lt.year = tm.tm_year + 1900;
    lt.month = tm.tm_mon + 1;
    lt.day = tm.tm_mday;
    lt.dayOfWeek = tm.tm_wday;
    lt.hour = tm.tm_hour;
    lt.minute = tm.tm_min;
    lt.second = tm.tm_sec;
    lt.millisecond = static_cast<int>(duration_cast<milliseconds>(t.time_since_epoch()).count() % 1000);
    return lt;
}

std::uint64_t SystemDiskSpace::FreeBytes(const std::filesystem::path& target) {
    return FreeBytesAt(target);
}

}  // namespace plova
