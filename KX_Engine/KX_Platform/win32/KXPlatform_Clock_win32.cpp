// Clocks on Windows: GetTickCount, GetSystemTimeAsFileTime and the C run-time's local time.
#include "KX_Platform/KXPlatform_Clock.h"

#include "KXPlatform_Win32.h"

#include <ctime>

namespace KXPlatform {

uint32_t GetTickCount() { return static_cast<uint32_t>(::GetTickCount()); }

uint64_t GetSystemTime100ns() {
    FILETIME ft{};
    ::GetSystemTimeAsFileTime(&ft);
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int64_t GetEpochSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

bool ToLocalTime(int64_t nEpochSeconds, LocalTime& out) {
    const __time64_t t = static_cast<__time64_t>(nEpochSeconds);
    tm parts{};
    if (_localtime64_s(&parts, &t) != 0) return false;
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

void Sleep(uint32_t uMilliseconds) { ::Sleep(uMilliseconds); }

}  // namespace KXPlatform
