// A moment as calendar fields, local or universal, safe on any thread: the
// C library's reentrant forms differ by system (localtime_r here,
// localtime_s with its arguments the other way round on Windows).
#pragma once

#include <ctime>

namespace plova {

inline std::tm LocalCalendarTime(std::time_t t) {
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

inline std::tm UniversalCalendarTime(std::time_t t) {
    std::tm tm{};
#if defined(_WIN32)
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    return tm;
}

// The moment that universal calendar fields name (the C library's timegm,
// _mkgmtime on Windows); fields out of range are carried over as mktime
// carries them. -1 when the moment cannot be held.
inline std::time_t MomentOfUniversalTime(std::tm tm) {
#if defined(_WIN32)
    return _mkgmtime(&tm);
#else
    return timegm(&tm);
#endif
}

}  // namespace plova
