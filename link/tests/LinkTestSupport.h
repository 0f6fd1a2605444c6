// Helpers shared by the link tests: open-handle counts, the standard FTP
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
#include "platform/testing/OpenHandles.h"
#include "platform/testing/WaitFor.h"

namespace plova::linktest {

using testkit::OpenHandles;

using testkit::WaitFor;

void WriteFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& file);
// `size` bytes of a pattern that differs from file to file.
std::string PatternBytes(std::size_t size, unsigned seed);

// The idle timer calls, in order: "stop", "restart", "reset".
class RecordingIdleTimer final : public IdleTimerControl {
public:
    void StopIdleTimer() override { calls.push_back("stop"); }
    void RestartIdleTimer() override { calls.push_back("restart"); }
    void ResetIdleCount() override { calls.push_back("reset"); }
    std::vector<std::string> calls;
};

std::u16string U16(const std::string& utf8);

// A message file name of the 33-character form: "202401151030_ABC_0001_00001.vmdat".
std::string BoxMessageName(int number, const char* extension = ".vmdat");

using testkit::StandardFtpServer;

}  // namespace plova::linktest
