#include <time.h>

#include <system_error>

#include "platform/Ports.h"

namespace plova {

std::uint64_t FreeBytesAt(const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = target.empty() ? fs::current_path(ec) : fs::absolute(target, ec);
    // The target itself may not exist yet: ask the nearest parent that does.
    while (!p.empty()) {
        if (fs::exists(p, ec)) {
            const auto info = fs::space(p, ec);
            return ec ? 0 : info.available;
        }
        const fs::path parent = p.parent_path();
        if (parent == p) break;
        p = parent;
    }
    return 0;
}

std::tm LocalCalendarTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}  // namespace plova
