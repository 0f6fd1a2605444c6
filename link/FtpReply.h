// How a reply line of the main unit is read as a result.
#pragma once

#include <string_view>

namespace plova::ftp {

// The model name the main unit's greeting must carry after "220 ".
constexpr std::u16string_view kModelName = u"Kw-TX";

constexpr int kNoReply = -1;  // nothing within the wait, a socket error, or no code
constexpr int kGreeting = 220;
constexpr int kTransferComplete = 226;
constexpr int kAbortComplete = 225;
constexpr int kActionNotTaken = 450;  // the file is in use, or there is no room for it
constexpr int kFileUnavailable = 550;

// The code of a reply line: the characters before the first space or "-",
// all decimal digits; -1 when there are none or anything else stands there.
int ReplyCode(std::u16string_view line);

// 0 for the codes that mean "go on" (120 125 150 200 202 211 212 213 214 215
// 227 230 250 257 331 350, and 220 when the model name follows), else the code
// itself; -1 for a line without a code.
int ClassifyReply(std::u16string_view line);

// The same for the reply that ends a transfer, which also accepts 220 and 226
// without looking at the model name.
int ClassifyTransferEnd(std::u16string_view line);

}  // namespace plova::ftp
