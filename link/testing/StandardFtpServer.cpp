#include "link/testing/StandardFtpServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace plova::testkit {
namespace fs = std::filesystem;

StandardFtpServer::StandardFtpServer(const fs::path& root, const std::string& banner) {
    log_ = root.parent_path() / (root.filename().string() + ".commands");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    const std::string script = std::string(PLOVA_FTP_TEST_SERVER);
    const std::string rootText = root.string();
    const std::string logText = log_.string();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execl("/usr/bin/python3", "python3", script.c_str(), rootText.c_str(), logText.c_str(), banner.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string line;
    char c;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(pipeFds[0]);
    if (!line.empty()) port_ = static_cast<std::uint16_t>(std::stoi(line));
}

StandardFtpServer::~StandardFtpServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

std::vector<std::string> StandardFtpServer::Commands() const {
    std::vector<std::string> out;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace plova::testkit
