#include "platform/testing/FileSizeLimit.h"

namespace plova::testkit {

// Windows knows quotas per volume and user, set by an administrator, and no
// limit a process can put on itself.
const bool FileSizeLimit::kAvailable = false;

FileSizeLimit::FileSizeLimit(std::uint64_t) {}

FileSizeLimit::~FileSizeLimit() = default;

}  // namespace plova::testkit
