#include <windows.h>

#include "platform/AppPaths.h"
#include "platform/Win32.h"
#include "platform/testing/HelperProcess.h"

namespace plova::testkit {
namespace {

// One argument as the program's start-up code splits the command line again:
// quoted, with backslashes doubled only before a quote.
std::wstring quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

struct HelperProcess::Running {
    PROCESS_INFORMATION process{};
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    int status = -1;
    bool ended = false;

    // Waits up to `millis` for the process; whether it has ended.
    bool Reap(DWORD millis) {
        if (!ended && process.hProcess != nullptr) {
            if (WaitForSingleObject(process.hProcess, millis) != WAIT_OBJECT_0) return false;
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            status = static_cast<int>(code);
            ended = true;
        }
        return true;
    }
};

HelperProcess::HelperProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                             const std::filesystem::path& outputFile)
    : running_(std::make_unique<Running>()) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    // Shared for reading, so the test can read what is written so far.
    const HANDLE file = outputFile.empty()
                            ? INVALID_HANDLE_VALUE
                            : CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!outputFile.empty() && file == INVALID_HANDLE_VALUE) return;
    HANDLE childInput = nullptr, childOutput = nullptr;
    if (!CreatePipe(&childInput, &running_->input, &inherited, 0)) {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return;
    }
    if (!CreatePipe(&running_->output, &childOutput, &inherited, 0)) {
        CloseHandle(childInput);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return;
    }
    // Our ends stay ours.
    SetHandleInformation(running_->input, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(running_->output, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = quoted(program.native());
    for (const auto& a : args) commandLine += L" " + quoted(win::Wide(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = file != INVALID_HANDLE_VALUE ? file : childOutput;
    startup.hStdError = file != INVALID_HANDLE_VALUE ? file : GetStdHandle(STD_ERROR_HANDLE);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &running_->process))
        running_->process = {};
    CloseHandle(childInput);
    CloseHandle(childOutput);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

HelperProcess::~HelperProcess() {
    Kill();
    CloseInput();
    if (running_->output) CloseHandle(running_->output);
    if (running_->process.hProcess) CloseHandle(running_->process.hProcess);
    if (running_->process.hThread) CloseHandle(running_->process.hThread);
}

bool HelperProcess::Started() const {
    return running_->process.hProcess != nullptr;
}

std::optional<std::string> HelperProcess::ReadLine() {
    std::string line;
    for (;;) {
        char c = 0;
        DWORD n = 0;
        if (!running_->output || !ReadFile(running_->output, &c, 1, &n, nullptr) || n == 0)
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n') break;
        if (c != '\r') line += c;
    }
    return line;
}

void HelperProcess::CloseInput() {
    if (running_->input) CloseHandle(running_->input);
    running_->input = nullptr;
}

int HelperProcess::Wait() {
    running_->Reap(INFINITE);
    return running_->status;
}

bool HelperProcess::Ended() {
    return running_->Reap(0);
}

void HelperProcess::Kill() {
    if (!running_->ended && Started()) TerminateProcess(running_->process.hProcess, 137);
    Wait();
}

std::filesystem::path PlatformTestHelper() {
    return ExecutableFolder() / "platform_test_helper.exe";
}

}  // namespace plova::testkit
