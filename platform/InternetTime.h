// Parser for the date texts of HTTP and mail headers, as the recording
// information block carries them: "Mon, 7 Dec 2026 14:05 +0900",
// "Sun, 06 Nov 1994 08:49:37 GMT", and the older forms
// ("Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994").
// The fields are taken as written; a zone suffix is accepted and ignored.
#pragma once

#include <optional>
#include <string_view>

namespace plova {

struct InternetTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 0;  // 0 = Sunday; computed from the date
};

std::optional<InternetTime> ParseInternetTime(std::u16string_view text);

// How the recording-information block's 32-byte date field is read: zero
// bytes become spaces, then the first 27 bytes are parsed.
std::optional<InternetTime> ParseBlockDate(std::string_view field32);

}  // namespace plova
