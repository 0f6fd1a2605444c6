#include "link/FtpReply.h"

#include <algorithm>
#include <array>

namespace plova::ftp {
namespace {

constexpr std::array<int, 16> kAcceptedCodes = {120, 125, 150, 200, 202, 211, 212, 213,
                                                214, 215, 227, 230, 250, 257, 331, 350};
constexpr std::size_t kMaxCodeDigits = 9;   // keeps the number inside an int
constexpr std::size_t kGreetingTextAt = 4;  // after "220" and one separator

bool isAccepted(int code) {
    return std::find(kAcceptedCodes.begin(), kAcceptedCodes.end(), code) != kAcceptedCodes.end();
}

}  // namespace

std::optional<int> ReplyCode(std::u16string_view line) {
    const std::size_t end = line.find_first_of(u" -");
    const std::u16string_view token = line.substr(0, end);
    // A line without a readable code is no reply: it must never count as "accepted".
    if (token.empty() || token.size() > kMaxCodeDigits) return std::nullopt;
    int code = 0;
    for (char16_t c : token) {
        if (c < u'0' || c > u'9') return std::nullopt;
        code = code * 10 + (c - u'0');
    }
    return code;
}

Reply ClassifyReply(std::u16string_view line) {
    const std::optional<int> code = ReplyCode(line);
    if (!code) return kNoReply;
    if (isAccepted(*code)) return kAccepted;
    if (*code == kGreeting && line.size() >= kGreetingTextAt && line.substr(kGreetingTextAt).starts_with(kModelName))
        return kAccepted;
    return RefusedWith(*code);
}

Reply ClassifyTransferEnd(std::u16string_view line) {
    const std::optional<int> code = ReplyCode(line);
    if (code == kGreeting || code == kTransferComplete) return kAccepted;
    return ClassifyReply(line);
}

}  // namespace plova::ftp
