#include "platform/testing/TestPorts.h"

#include <ctime>

#include "platform/Text.h"

namespace plova::testkit {

Answer RecordingPrompt::show(const std::u16string& text, const std::u16string& caption, Icon icon, Buttons buttons) {
    shown.push_back({text, caption, icon, buttons});
    if (!answers_.empty()) {
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return firstButton(buttons);
}

WindowHandle RecordingProgress::open(const std::u16string& caption) {
    auto it = windows_.find(caption);
    if (it != windows_.end()) return it->second;
    const WindowHandle h = next_++;
    windows_.emplace(caption, h);
    return h;
}

WindowHandle RecordingProgress::find(const std::u16string& caption) {
    auto it = windows_.find(caption);
    return it == windows_.end() ? 0 : it->second;
}

void RecordingProgress::send(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (window != 0) sent.push_back({window, message, wparam, lparam, false});
}

void RecordingProgress::post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) {
    if (window != 0) sent.push_back({window, message, wparam, lparam, true});
}

std::vector<RecordingProgress::Sent> RecordingProgress::of(int message) const {
    std::vector<Sent> out;
    for (const auto& s : sent)
        if (s.message == message) out.push_back(s);
    return out;
}

void ScriptedPump::dispatchOne() {
    ++steps;
    if (every_) every_();
    auto range = actions_.equal_range(steps);
    for (auto it = range.first; it != range.second; ++it) it->second();
}

void SteppedClock::advanceMinutes(int minutes) {
    std::tm tm{};
    tm.tm_year = now_.year - 1900;
    tm.tm_mon = now_.month - 1;
    tm.tm_mday = now_.day;
    tm.tm_hour = now_.hour;
    tm.tm_min = now_.minute + minutes;
    tm.tm_sec = now_.second;
    tm.tm_isdst = -1;
    timegm(&tm);  // normalises the fields; no time zone involved
    now_.year = tm.tm_year + 1900;
    now_.month = tm.tm_mon + 1;
    now_.day = tm.tm_mday;
    now_.dayOfWeek = tm.tm_wday;
    now_.hour = tm.tm_hour;
    now_.minute = tm.tm_min;
    now_.second = tm.tm_sec;
}

std::string utf8(const std::u16string& s) {
    return toUtf8(s);
}

}  // namespace plova::testkit
