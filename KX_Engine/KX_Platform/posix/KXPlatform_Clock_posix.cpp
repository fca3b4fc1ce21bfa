// Clocks on POSIX: the monotonic clock for ticks, the real-time clock for the system time.
#include "../KXPlatform_Clock.h"

#include <ctime>

namespace KXPlatform {

uint32_t GetTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

uint64_t GetSystemTime100ns() {
    // Seconds between 1601-01-01 and 1970-01-01.
    constexpr uint64_t kEpochDelta = 11644473600ull;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return (static_cast<uint64_t>(ts.tv_sec) + kEpochDelta) * 10000000ull + static_cast<uint64_t>(ts.tv_nsec) / 100u;
}

int64_t GetEpochSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

bool ToLocalTime(int64_t nEpochSeconds, LocalTime& out) {
    const time_t t = static_cast<time_t>(nEpochSeconds);
    tm parts{};
    if (!localtime_r(&t, &parts)) return false;
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

void Sleep(uint32_t uMilliseconds) {
    timespec ts{static_cast<time_t>(uMilliseconds / 1000u), static_cast<long>(uMilliseconds % 1000u) * 1000000L};
    // Resume after a signal until the whole time has passed.
    while (nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace KXPlatform
