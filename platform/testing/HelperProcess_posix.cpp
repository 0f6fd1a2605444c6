#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/AppPaths.h"
#include "platform/testing/HelperProcess.h"

namespace plova::testkit {

struct HelperProcess::Running {
    pid_t pid = -1;
    int input = -1;
    std::FILE* output = nullptr;
    int status = -1;
    bool ended = false;

    // Reaps the process, waiting for it or not (`options`); whether it has ended.
    bool Reap(int options) {
        if (!ended && pid > 0) {
            int raw = 0;
            if (::waitpid(pid, &raw, options) != pid) return false;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            ended = true;
        }
        return true;
    }
};

HelperProcess::HelperProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                             const std::filesystem::path& outputFile)
    : running_(std::make_unique<Running>()) {
    const int file =
        outputFile.empty() ? -1 : ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (!outputFile.empty() && file < 0) return;
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        if (file >= 0) ::close(file);
        return;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        if (file >= 0) ::close(file);
        return;
    }
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(file >= 0 ? file : out[1], STDOUT_FILENO);
        if (file >= 0) ::dup2(file, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    if (file >= 0) ::close(file);
    running_->pid = pid;
    running_->input = in[1];
    running_->output = ::fdopen(out[0], "r");
}

HelperProcess::~HelperProcess() {
    Kill();
    CloseInput();
    if (running_->output) std::fclose(running_->output);
}

bool HelperProcess::Started() const {
    return running_->pid > 0;
}

std::optional<std::string> HelperProcess::ReadLine() {
    if (!running_->output) return std::nullopt;
    std::string line;
    for (int c; (c = std::fgetc(running_->output)) != EOF;) {
        if (c == '\n') return line;
        line += static_cast<char>(c);
    }
    return line.empty() ? std::nullopt : std::optional<std::string>(line);
}

void HelperProcess::CloseInput() {
    if (running_->input >= 0) ::close(running_->input);
    running_->input = -1;
}

int HelperProcess::Wait() {
    running_->Reap(0);
    return running_->status;
}

bool HelperProcess::Ended() {
    return running_->Reap(WNOHANG);
}

void HelperProcess::Kill() {
    if (!running_->ended && running_->pid > 0) ::kill(running_->pid, SIGKILL);
    Wait();
}

std::filesystem::path PlatformTestHelper() {
    return ExecutableFolder() / "platform_test_helper";
}

}  // namespace plova::testkit
