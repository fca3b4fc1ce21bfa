// nctool check --server NAME --ip A.B.C.D [--exe-dir DIR] [--data DIR]: a whole check in the terminal,
// with the program's engine and frame pacing. The executable directory holds patch/update_url.xml,
// net_check.xml and checklist/; the data directory (the staged tree's by default) becomes the working
// directory, as the program changes into "data". Exit 0 when the run finished, 1 when it could not start,
// 130 when it was interrupted.
#include "NcTool_Command.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Interrupt.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_ConsoleView.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/run/NetChk_RunHost.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

const char kUsage[] = "check --server NAME --ip A.B.C.D [--exe-dir DIR] [--data DIR]";
// The program's frame: the run is polled once per 33 ms.
const uint32_t kFrameMs = 33;

// The shell's side of a run in the terminal: the state decides whether the loop goes on.
class ConsoleHost : public INetChk_RunHost {
public:
    void SetAppState(int32_t nState) override { m_nState = nState; }
    void RequestQuit() override { m_bQuit = true; }
    void FlashMainWindow() override {}
    int32_t m_nState = kAppIdle;
    bool m_bQuit = false;
};

bool IsDottedIPv4(const std::string& s) {
    int parts = 0;
    size_t i = 0;
    while (i <= s.size()) {
        size_t dot = s.find('.', i);
        std::string part = s.substr(i, dot == std::string::npos ? std::string::npos : dot - i);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(part.c_str()) > 255)
            return false;
        ++parts;
        if (dot == std::string::npos) break;
        i = dot + 1;
    }
    return parts == 4;
}

std::string Absolute(const std::string& strPath) {
    if (!strPath.empty() && strPath[0] == '/') return strPath;
    return KXPlatform::GetCurrentDir() + "/" + strPath;
}

int Run(const std::vector<std::string>& args) {
    std::string strServer, strIp, strExeDir, strDataDir;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--server") strServer = args[i + 1];
        else if (args[i] == "--ip") strIp = args[i + 1];
        else if (args[i] == "--exe-dir") strExeDir = args[i + 1];
        else if (args[i] == "--data") strDataDir = args[i + 1];
        else return nctool::Usage(kUsage);
    }
    if (args.size() % 2 != 0 || strServer.empty() || !IsDottedIPv4(strIp)) return nctool::Usage(kUsage);

    // The staged tree lies beside the tools folder of the build: build/tools/nctool -> build/stage.
    strExeDir = strExeDir.empty() ? KXPlatform::GetExecutableDir() + "/../stage" : Absolute(strExeDir);
    strExeDir = std::filesystem::path(strExeDir).lexically_normal().string();
    while (strExeDir.size() > 1 && strExeDir.back() == '/') strExeDir.pop_back();
    strDataDir = strDataDir.empty() ? strExeDir + "/data" : Absolute(strDataDir);
    if (!KXPlatform::SetCurrentDir(strDataDir.c_str())) {
        std::fprintf(stderr, "cannot enter the data directory %s\n", strDataDir.c_str());
        return 1;
    }

    // The run's log goes to data/log as the program's does; the terminal shows the view only.
    CArkLogger::Instance().Init("NetCheck");
    CArkLogger::Instance().SetConsoleLevel(WL_LEVEL_COUNT);
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule)
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);

    g_DetailInfo.strServerName = KXPlatform::Utf8ToGbk(strServer);
    g_DetailInfo.strServerIP = strIp;

    CNetChk_UtilResMgr resources;
    resources.LoadNetJudged();
    resources.LoadStringDef();

    CNetChk_CommandMgr manager;
    manager.SetExeDir(strExeDir);
    manager.GetCatalogue().SetServer(g_DetailInfo.strServerName, g_DetailInfo.strServerIP);
    if (!manager.initCommandMgr()) {
        std::fprintf(stderr, "the check catalogue could not be loaded\n");
        return 1;
    }

    CNetChk_ConsoleView view(stdout, &resources);
    ConsoleHost host;
    manager.Attach(&view, &host, &resources);
    nctool::WriteUtf8(stdout, "server " + g_DetailInfo.strServerName + " " + strIp + "\n");

    const bool bGrouped = manager.HasCommandGroups();
    manager.SetGrouped(bGrouped);
    manager.StartStep(0, bGrouped);
    if (host.m_nState != INetChk_RunHost::kAppChecking) return 1;

    // Ctrl+C stops the check as the stop button does: the children end and the scripts go.
    KXPlatform::CatchInterruptRequests();
    while (host.m_nState == INetChk_RunHost::kAppChecking && !host.m_bQuit) {
        if (KXPlatform::InterruptRequested()) {
            manager.StopCheck();
            view.SetProgress(manager.GetCurStep(), manager.GetTotalSteps(), INetChk_CheckView::kProgressStopped);
            return 130;
        }
        const uint32_t uStart = KXPlatform::GetTickCount();
        manager.UpdateRun();
        const uint32_t uSpent = KXPlatform::GetTickCount() - uStart;
        if (uSpent < kFrameMs) KXPlatform::Sleep(kFrameMs - uSpent);
    }
    if (host.m_bQuit || view.GetProgressState() != INetChk_CheckView::kProgressFinished) return 1;

    nctool::WriteUtf8(stdout, "result file " + strExeDir + "/checklist/" + manager.GetCatalogue().m_strTargetFile + "\n");
    return 0;
}

const nctool::CommandRegistrar registrar("check", &Run, kUsage);

}  // namespace
