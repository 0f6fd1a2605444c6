#include "platform/testing/TestPorts.h"

#include <chrono>

#include "platform/Text.h"

namespace plova::testkit {

Answer RecordingPrompt::Show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) {
    shown.push_back({text, caption, icon, buttons});
    if (!answers_.empty()) {
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return FirstButton(buttons);
}

WindowHandle RecordingProgress::Open(const std::u16string& caption) {
    auto it = windows_.find(caption);
    if (it != windows_.end()) return it->second;
    const WindowHandle h = next_++;
    windows_.emplace(caption, h);
    return h;
}

WindowHandle RecordingProgress::Find(const std::u16string& caption) {
    auto it = windows_.find(caption);
    return it == windows_.end() ? 0 : it->second;
}

void RecordingProgress::Send(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (window != 0) sent.push_back({window, message, wparam, lparam, false});
}

void RecordingProgress::Post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (window != 0) sent.push_back({window, message, wparam, lparam, true});
}

std::vector<RecordingProgress::Sent> RecordingProgress::Of(int message) const {
    std::vector<Sent> out;
    for (const auto& s : sent)
        if (s.message == message) out.push_back(s);
    return out;
}

void ScriptedPump::DispatchOne() {
    ++steps;
    if (every_) every_();
    auto range = actions_.equal_range(steps);
    for (auto it = range.first; it != range.second; ++it) it->second();
}

void SteppedClock::AdvanceMinutes(int minutes) {
    // Calendar arithmetic on the civil date and time alone: no time zone involved.
    using namespace std::chrono;
    const sys_days day{year_month_day{year{now_.year}, month{static_cast<unsigned>(now_.month)},
                                      std::chrono::day{static_cast<unsigned>(now_.day)}}};
    const sys_seconds then =
        day + hours{now_.hour} + std::chrono::minutes{now_.minute + minutes} + seconds{now_.second};
    const sys_days thenDay = floor<days>(then);
    const year_month_day date{thenDay};
    const hh_mm_ss time{then - thenDay};
    now_.year = static_cast<int>(date.year());
    now_.month = static_cast<int>(static_cast<unsigned>(date.month()));
    now_.day = static_cast<int>(static_cast<unsigned>(date.day()));
    now_.dayOfWeek = static_cast<int>(weekday{thenDay}.c_encoding());
    now_.hour = static_cast<int>(time.hours().count());
    now_.minute = static_cast<int>(time.minutes().count());
    now_.second = static_cast<int>(time.seconds().count());
}

std::string Utf8(const std::u16string& s) {
    return ToUtf8(s);
}

}  // namespace plova::testkit
