// nctool path normalize PATH | path hash PATH: the kernel's path normalisation and name hash.
#include "NcTool_Command.h"

#include "KX_Kernal/fileandpath/KXKernal_HashName.h"
#include "KX_Kernal/fileandpath/KXKernal_Path.h"

#include <cstdio>

namespace {

const char* const kUsage = "path normalize PATH\npath hash PATH";

int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) return nctool::Usage(kUsage);
    if (args[0] == "normalize") {
        char szBuffer[KXKERNAL_MAX_PATH];
        if (!NormalizePath(args[1].c_str(), szBuffer, sizeof(szBuffer))) return 1;
        std::printf("%s\n", szBuffer);
        return 0;
    }
    if (args[0] == "hash") {
        std::printf("%08x\n", HashName(args[1].c_str()));
        return 0;
    }
    return nctool::Usage(kUsage);
}

nctool::CommandRegistrar reg("path", &Run, kUsage);

}  // namespace
