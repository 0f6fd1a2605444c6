#include <filesystem>

#include "platform/testing/OpenHandles.h"

namespace plova::testkit {

int OpenHandles() {
    // The listing holds one descriptor of its own while it runs, every time alike.
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace plova::testkit
