// The running process: its identifier, and the debugger trap used by the kernel's Retry answer.
#pragma once

#include <cstdint>

namespace KXPlatform {

uint32_t GetProcessId();

// Stops in an attached debugger; without one the process receives the breakpoint trap.
void DebugBreak();

}  // namespace KXPlatform
