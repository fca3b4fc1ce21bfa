#include "NcTool_RunPlace.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/catalogue/NetChk_ServerArgs.h"

#include <cstdio>
#include <filesystem>

namespace nctool {

namespace {

// Absolute and without "." or ".." parts or a trailing "/"; "/" separates, also on Windows.
std::string Absolute(const std::string& strPath) {
    const bool bRooted = std::filesystem::path(strPath).has_root_directory();
    std::string strFull = bRooted ? strPath : KXPlatform::GetCurrentDir() + "/" + strPath;
    strFull = std::filesystem::path(strFull).lexically_normal().generic_string();
    while (strFull.size() > 1 && strFull.back() == '/') strFull.pop_back();
    return strFull;
}

}  // namespace

bool ParseRunPlace(const std::vector<std::string>& args, size_t uFirst, RunPlace& place) {
    if (args.size() < uFirst || (args.size() - uFirst) % 2 != 0) return false;
    for (size_t i = uFirst; i + 1 < args.size(); i += 2) {
        if (args[i] == "--server") place.strServer = args[i + 1];
        else if (args[i] == "--ip") place.strIp = args[i + 1];
        else if (args[i] == "--exe-dir") place.strExeDir = args[i + 1];
        else if (args[i] == "--data") place.strDataDir = args[i + 1];
        else return false;
    }
    return !place.strServer.empty() && NetChk_IsDottedIPv4(place.strIp);
}

bool EnterRunPlace(RunPlace& place) {
    // The staged tree lies beside the tools folder of the build: build/tools/nctool -> build/stage.
    place.strExeDir = Absolute(place.strExeDir.empty() ? KXPlatform::GetExecutableDir() + "/../stage" : place.strExeDir);
    place.strDataDir = place.strDataDir.empty() ? place.strExeDir + "/data" : Absolute(place.strDataDir);
    if (!KXPlatform::SetCurrentDir(place.strDataDir.c_str())) {
        std::fprintf(stderr, "cannot enter the data directory %s\n", place.strDataDir.c_str());
        return false;
    }
    // The run's log goes to data/log as the program's does; the terminal shows the tool's output only.
    CArkLogger::Instance().Init("NetCheck");
    CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule)
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);

    g_DetailInfo.strServerName = KXPlatform::Utf8ToGbk(place.strServer);
    g_DetailInfo.strServerIP = place.strIp;
    return true;
}

}  // namespace nctool
