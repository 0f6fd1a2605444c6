#include <windows.h>

#include "platform/StopRequest.h"

namespace plova {

namespace {

HANDLE stopEvent() {
    // Manual reset: once asked, the program stays asked.
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI onConsoleEvent(DWORD) {
    SetEvent(stopEvent());
    return TRUE;  // handled: the waiting thread ends the program in order
}

}  // namespace

void PrepareForStopRequest() {
    stopEvent();
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void WaitForStopRequest() {
    WaitForSingleObject(stopEvent(), INFINITE);
}

}  // namespace plova
