// Interrupt requests on Windows: Ctrl+C, Ctrl+Break and the console being closed set a flag.
#include "KX_Platform/KXPlatform_Interrupt.h"

#include "KXPlatform_Win32.h"

#include <atomic>

namespace KXPlatform {

namespace {
std::atomic<bool> g_bInterrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD) {
    g_bInterrupted = true;
    return TRUE;
}
}  // namespace

void CatchInterruptRequests() {
    g_bInterrupted = false;
    ::SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

bool InterruptRequested() { return g_bInterrupted; }

}  // namespace KXPlatform
