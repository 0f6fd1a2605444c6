#include "link/tests/LinkTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/Text.h"

namespace plova::linktest {
namespace fs = std::filesystem;

int openDescriptors() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

void writeFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string patternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::minstd_rand random(seed + 1);
    for (auto& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::u16string u16(const std::string& utf8) {
    return fromUtf8(utf8);
}

std::string boxMessageName(int number, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "202401151030_ABC_0001_%05d%s", number, extension);
    return name;
}

StandardFtpServer::StandardFtpServer(const fs::path& root, const std::string& banner) {
    log_ = root.parent_path() / (root.filename().string() + ".commands");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    const std::string script = std::string(LINK_TEST_SCRIPT_DIR) + "/ftp_test_server.py";
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

std::vector<std::string> StandardFtpServer::commands() const {
    std::vector<std::string> out;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace plova::linktest
