// The portable half of the clocks: the epoch seconds and the local broken-down time made from the C
// library's fields.
#include "KX_Platform/KXPlatform_Clock.h"

#include <ctime>

namespace KXPlatform {

// Implemented by the backend: the C library's thread-safe local time of an epoch second count; false
// when the system cannot convert it.
bool BreakDownLocalTime(int64_t nEpochSeconds, std::tm& out);

int64_t GetEpochSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

bool ToLocalTime(int64_t nEpochSeconds, LocalTime& out) {
    std::tm parts{};
    if (!BreakDownLocalTime(nEpochSeconds, parts)) return false;
    out.nYear = parts.tm_year + 1900;
    out.nMonth = parts.tm_mon + 1;
    out.nDay = parts.tm_mday;
    out.nHour = parts.tm_hour;
    out.nMinute = parts.tm_min;
    out.nSecond = parts.tm_sec;
    out.nWeekDay = parts.tm_wday;
    out.nYearDay = parts.tm_yday;
    out.nIsDst = parts.tm_isdst;
    return true;
}

LocalTime GetLocalTime() {
    LocalTime now;
    ToLocalTime(GetEpochSeconds(), now);
    return now;
}

}  // namespace KXPlatform
