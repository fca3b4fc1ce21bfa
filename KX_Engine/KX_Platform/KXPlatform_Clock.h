// Clocks and sleep: the tick count, the system time and the local broken-down time.
#pragma once

#include <cstdint>

namespace KXPlatform {

// The nine fields of the C broken-down time, with the month counted 1 to 12 and the full year.
struct LocalTime {
    int nYear = 1970;    // e.g. 2026
    int nMonth = 1;      // 1..12
    int nDay = 1;        // 1..31
    int nHour = 0;       // 0..23
    int nMinute = 0;     // 0..59
    int nSecond = 0;     // 0..60
    int nWeekDay = 0;    // 0 = Sunday
    int nYearDay = 0;    // 0..365
    int nIsDst = 0;
};

// Milliseconds since an arbitrary start; wraps at 2^32 like GetTickCount.
uint32_t GetTickCount();

// 100-nanosecond intervals since 1601-01-01 UTC (the FILETIME scale).
uint64_t GetSystemTime100ns();

// Seconds since 1970-01-01 UTC.
int64_t GetEpochSeconds();

// Local broken-down time of an epoch second count; false when the system cannot convert it.
bool ToLocalTime(int64_t nEpochSeconds, LocalTime& out);

// Local broken-down time of now.
LocalTime GetLocalTime();

void Sleep(uint32_t uMilliseconds);

}  // namespace KXPlatform
