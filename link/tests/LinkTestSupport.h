// Helpers shared by the link tests: open-descriptor counts, the standard FTP
// server process (from the link testing kit), and file contents.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/IdleTimerControl.h"
#include "link/testing/StandardFtpServer.h"
#include "platform/testing/WaitFor.h"

namespace plova::linktest {

// Number of descriptors this process has open.
int openDescriptors();

using testkit::waitFor;

void writeFile(const std::filesystem::path& file, const std::string& bytes);
std::string readFile(const std::filesystem::path& file);
// `size` bytes of a pattern that differs from file to file.
std::string patternBytes(std::size_t size, unsigned seed);

// The idle timer calls, in order: "stop", "restart", "reset".
class RecordingIdleTimer final : public IdleTimerControl {
public:
    void stopIdleTimer() override { calls.push_back("stop"); }
    void restartIdleTimer() override { calls.push_back("restart"); }
    void resetIdleCount() override { calls.push_back("reset"); }
    std::vector<std::string> calls;
};

std::u16string u16(const std::string& utf8);

// A message file name of the 33-character form: "202401151030_ABC_0001_00001.vmdat".
std::string boxMessageName(int number, const char* extension = ".vmdat");

using testkit::StandardFtpServer;

}  // namespace plova::linktest
