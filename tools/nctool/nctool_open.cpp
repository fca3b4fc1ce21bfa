// nctool open PATH [--disk-first]: opens a file as the program does (pack first unless told otherwise)
// and writes its bytes to standard output.
#include "NcTool_Command.h"

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <cstdio>

namespace {

const char* const kUsage = "open PATH [--disk-first]";

int Run(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "--disk-first")) {
        return nctool::Usage(kUsage);
    }
    // Standard output carries the file's bytes, so log lines must not reach it.
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule) {
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);
    }
    SetReadPackFirst(args.size() == 1);
    std::unique_ptr<char[]> pBuffer;
    uint32_t uSize = 0;
    if (!ReadWholeFile(args[0].c_str(), pBuffer, uSize)) return 1;
    std::fwrite(pBuffer.get(), 1, uSize, stdout);
    return 0;
}

nctool::CommandRegistrar reg("open", &Run, kUsage);

}  // namespace
