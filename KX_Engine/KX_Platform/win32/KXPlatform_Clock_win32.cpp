// Clocks on Windows: GetTickCount, GetSystemTimeAsFileTime and the C run-time's 64-bit local time.
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

bool BreakDownLocalTime(int64_t nEpochSeconds, std::tm& out) {
    const __time64_t t = static_cast<__time64_t>(nEpochSeconds);
    return _localtime64_s(&out, &t) == 0;
}

void Sleep(uint32_t uMilliseconds) { ::Sleep(uMilliseconds); }

}  // namespace KXPlatform
