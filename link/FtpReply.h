// How a reply line of the main unit is read as a result.
#pragma once

#include <optional>
#include <string_view>

namespace plova::ftp {

// The model name the main unit's greeting must carry after "220 ".
constexpr std::u16string_view kModelName = u"Kw-TX";

constexpr int kGreeting = 220;
constexpr int kTransferComplete = 226;
constexpr int kAbortComplete = 225;
constexpr int kActionNotTaken = 450;  // the file is in use, or there is no room for it
constexpr int kFileUnavailable = 550;

// How the main unit answered a command.
enum class [[nodiscard]] ReplyOutcome{
    Accepted,  // a code that means "go on"
    Refused,   // any other code
    NoReply,   // nothing within the wait, a socket error, or a line without a code
};
struct [[nodiscard]] Reply {
    ReplyOutcome outcome = ReplyOutcome::NoReply;
    int code = 0;  // the refusing reply's code (Refused); else 0
    [[nodiscard]] bool Accepted() const { return outcome == ReplyOutcome::Accepted; }
    [[nodiscard]] bool RefusedWith(int refusal) const { return outcome == ReplyOutcome::Refused && code == refusal; }
    bool operator==(const Reply&) const = default;
};
constexpr Reply kAccepted{ReplyOutcome::Accepted, 0};
constexpr Reply kNoReply{ReplyOutcome::NoReply, 0};
constexpr Reply RefusedWith(int code) {
    return {ReplyOutcome::Refused, code};
}

// The code of a reply line: the characters before the first space or "-",
// all decimal digits; none when there are none or anything else stands there.
std::optional<int> ReplyCode(std::u16string_view line);

// Accepted for the codes that mean "go on" (120 125 150 200 202 211 212 213
// 214 215 227 230 250 257 331 350, and 220 when the model name follows),
// otherwise refused with the code; no reply for a line without a code.
Reply ClassifyReply(std::u16string_view line);

// The same for the reply that ends a transfer, which also accepts 220 and 226
// without looking at the model name.
Reply ClassifyTransferEnd(std::u16string_view line);

}  // namespace plova::ftp
