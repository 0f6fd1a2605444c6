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
};

HelperProcess::HelperProcess(const std::filesystem::path& program, const std::vector<std::string>& args)
    : running_(std::make_unique<Running>()) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childInput = nullptr, childOutput = nullptr;
    if (!CreatePipe(&childInput, &running_->input, &inherited, 0)) return;
    if (!CreatePipe(&running_->output, &childOutput, &inherited, 0)) {
        CloseHandle(childInput);
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
    startup.hStdOutput = childOutput;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &running_->process))
        running_->process = {};
    CloseHandle(childInput);
    CloseHandle(childOutput);
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
    if (!running_->ended && Started()) {
        WaitForSingleObject(running_->process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(running_->process.hProcess, &code);
        running_->status = static_cast<int>(code);
        running_->ended = true;
    }
    return running_->status;
}

void HelperProcess::Kill() {
    if (!running_->ended && Started()) TerminateProcess(running_->process.hProcess, 137);
    Wait();
}

std::filesystem::path PlatformTestHelper() {
    return ExecutableFolder() / "platform_test_helper.exe";
}

}  // namespace plova::testkit
