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

bool BreakDownLocalTime(int64_t nEpochSeconds, std::tm& out) {
    const time_t t = static_cast<time_t>(nEpochSeconds);
    return localtime_r(&t, &out) != nullptr;
}

void Sleep(uint32_t uMilliseconds) {
    timespec ts{static_cast<time_t>(uMilliseconds / 1000u), static_cast<long>(uMilliseconds % 1000u) * 1000000L};
    // Resume after a signal until the whole time has passed.
    while (nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace KXPlatform
