// Another program a test runs beside itself, with pipes to its standard input
// and output: what it says comes line by line, and closing its input is its
// cue to let go of what it holds and end. The platform tests use it to hold
// a file, a lock or the one-instance lock in a process of its own.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plova::testkit {

class HelperProcess {
public:
    // Starts `program` with `args` (UTF-8); started() says whether it did.
    // Given `outputFile`, what it writes on its standard output and error goes
    // to that file, made anew, and ReadLine() finds nothing.
    HelperProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                  const std::filesystem::path& outputFile = {});
    // Ends the program if it still runs, as kill() does.
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    [[nodiscard]] bool Started() const;
    // The next line it writes, without its end; nothing once its output ends.
    std::optional<std::string> ReadLine();
    // Closes its standard input.
    void CloseInput();
    // Waits for it to end: its exit status.
    int Wait();
    // Whether it has ended, without waiting.
    bool Ended();
    // Ends it at once, as a crash or a kill from outside would, and waits.
    void Kill();

private:
    struct Running;
    std::unique_ptr<Running> running_;
};

// The platform tests' helper program (platform/tests/TestHelper.cpp), built
// beside the test program.
std::filesystem::path PlatformTestHelper();

}  // namespace plova::testkit
