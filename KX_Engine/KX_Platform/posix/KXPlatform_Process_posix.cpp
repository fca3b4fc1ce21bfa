// The running process on POSIX.
#include "../KXPlatform_Process.h"

#include <csignal>
#include <unistd.h>

namespace KXPlatform {

uint32_t GetProcessId() { return static_cast<uint32_t>(getpid()); }

void DebugBreak() { std::raise(SIGTRAP); }

}  // namespace KXPlatform
