// The running process on POSIX.
#include "../KXPlatform_Process.h"

#include "../KXPlatform_Encoding.h"

#include <csignal>
#include <unistd.h>

namespace KXPlatform {

uint32_t GetProcessId() { return static_cast<uint32_t>(getpid()); }

std::string ExecutableFileName(const char* szBaseName) { return szBaseName; }

void DebugBreak() { std::raise(SIGTRAP); }

std::vector<std::string> GetCommandLineArgs(int argc, char** argv) {
    std::vector<std::string> vecArgs;
    for (int i = 0; i < argc && argv && argv[i]; ++i) {
        const std::string arg = argv[i];
        // Round-trip check: valid UTF-8 converts back to the same bytes.
        const std::string gbk = Utf8ToGbk(arg);
        vecArgs.push_back(GbkToUtf8(gbk) == arg ? gbk : arg);
    }
    return vecArgs;
}

}  // namespace KXPlatform
