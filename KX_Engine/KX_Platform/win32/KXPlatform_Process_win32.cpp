// The running process on Windows.
#include "KX_Platform/KXPlatform_Process.h"

#include "KXPlatform_Win32.h"

namespace KXPlatform {

uint32_t GetProcessId() { return static_cast<uint32_t>(::GetCurrentProcessId()); }

std::string ExecutableFileName(const char* szBaseName) { return std::string(szBaseName) + ".exe"; }

void DebugBreak() { ::DebugBreak(); }

// The C run-time hands main its arguments in the ANSI code page, which is GBK already.
std::vector<std::string> GetCommandLineArgs(int argc, char** argv) {
    std::vector<std::string> vecArgs;
    for (int i = 0; i < argc && argv && argv[i]; ++i) vecArgs.emplace_back(argv[i]);
    return vecArgs;
}

}  // namespace KXPlatform
