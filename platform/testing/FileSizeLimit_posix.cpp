#include "platform/testing/FileSizeLimit.h"

#include <sys/resource.h>

#include <csignal>

namespace plova::testkit {

const bool FileSizeLimit::kAvailable = true;

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    savedCurrent_ = saved.rlim_cur;
    savedMaximum_ = saved.rlim_max;
    savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a dead process
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit saved{};
    saved.rlim_cur = savedCurrent_;
    saved.rlim_max = savedMaximum_;
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal_);
}

}  // namespace plova::testkit
