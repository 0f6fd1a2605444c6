// The other process of the platform tests. It takes what its command names,
// says on one line how that went, holds it until its standard input ends (or
// it is killed), and exits 0:
//
//   platform_test_helper pid                     its process number
//   platform_test_helper lock FOLDER NAME        "held" or "busy" or "failed"
//   platform_test_helper instance NAME FOLDER    "acquired" or "refused"
//   platform_test_helper hold FILE               "held" or "failed": the file open, shared with
//                                                nobody where the system allows that (Windows)
#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "platform/AppPaths.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/SingleInstance.h"
#include "platform/Text.h"

namespace {

using namespace plova;

void say(const std::string& line) {
    std::cout << line << std::endl;
}

void waitForTheEndOfInput() {
    while (std::getchar() != EOF) {}
}

// A file held the way a player or a virus scanner holds one.
bool holdOpen(const std::filesystem::path& file, FileHandle& held) {
#if defined(_WIN32)
    held = FileHandle(reinterpret_cast<NativeFile>(
        CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
#else
    held = OpenRegularFile(file, Access::Read);
#endif
    return held.IsOpen();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = CommandLineArguments(argc, argv);
    const std::string command = args.size() > 1 ? args[1] : "";
    if (command == "pid" && args.size() == 2) {
        say(std::to_string(CurrentProcessId()));
    } else if (command == "lock" && args.size() == 4) {
        const FileLock lock = LockFolder(PathFromUtf8(args[2]), args[3]);
        say(lock.Held() ? "held" : lock.LockState() == FileLock::State::Busy ? "busy" : "failed");
        waitForTheEndOfInput();
        return 0;
    } else if (command == "instance" && args.size() == 4) {
        const SingleInstanceLock lock(args[2], PathFromUtf8(args[3]));
        say(lock.Acquired() ? "acquired" : "refused");
        waitForTheEndOfInput();
        return 0;
    } else if (command == "hold" && args.size() == 3) {
        FileHandle held;
        say(holdOpen(PathFromUtf8(args[2]), held) ? "held" : "failed");
        waitForTheEndOfInput();
        return 0;
    } else {
        std::cerr << "usage: platform_test_helper pid | lock FOLDER NAME | instance NAME FOLDER | hold FILE\n";
        return 2;
    }
    waitForTheEndOfInput();
    return 0;
}
