// nctool check --server NAME --ip A.B.C.D [--exe-dir DIR] [--data DIR]: a whole check in the terminal,
// with the program's engine and frame pacing. The executable directory holds patch/update_url.xml,
// net_check.xml and checklist/; the data directory (the staged tree's by default) becomes the working
// directory, as the program changes into "data". Exit 0 when the run finished and its result file was
// written, 1 when it could not start, ended on a fatal error or could not write the result file, 130 when
// it was interrupted. Whatever the end, the working files go as at the program's shutdown.
#include "NcTool_Command.h"
#include "NcTool_RunPlace.h"

#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_Console.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Interrupt.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_ConsoleView.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/run/NetChk_RunHost.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdio>

namespace {

const char kUsage[] = "check --server NAME --ip A.B.C.D [--exe-dir DIR] [--data DIR]";
// The program's frame: the run is polled once per 33 ms.
const uint32_t kFrameMs = 33;

// The program's shutdown for the engine: children ended, both scripts and the output file deleted.
class ShutdownOnExit {
public:
    explicit ShutdownOnExit(CNetChk_CommandMgr& manager) : m_manager(manager) {}
    ~ShutdownOnExit() {
        m_manager.StopCheck();
        m_manager.Reset();
    }
    ShutdownOnExit(const ShutdownOnExit&) = delete;
    ShutdownOnExit& operator=(const ShutdownOnExit&) = delete;

private:
    CNetChk_CommandMgr& m_manager;
};

// The shell's side of a run in the terminal: the state decides whether the loop goes on.
class ConsoleHost : public INetChk_RunHost {
public:
    void SetAppState(int32_t nState) override { m_nState = nState; }
    void RequestQuit() override { m_bQuit = true; }
    void FlashMainWindow() override {}
    int32_t m_nState = kAppIdle;
    bool m_bQuit = false;
};

int Run(const std::vector<std::string>& args) {
    nctool::RunPlace place;
    if (!nctool::ParseRunPlace(args, 0, place)) return nctool::Usage(kUsage);
    if (!nctool::EnterRunPlace(place)) return 1;

    CNetChk_UtilResMgr resources;
    resources.LoadNetJudged();
    resources.LoadStringDef();

    CNetChk_CommandMgr manager;
    manager.SetExeDir(place.strExeDir);
    manager.GetCatalogue().SetServer(g_DetailInfo.strServerName, g_DetailInfo.strServerIP);
    if (!manager.initCommandMgr()) {
        std::fprintf(stderr, "the check catalogue could not be loaded\n");
        return 1;
    }

    CNetChk_ConsoleView view(stdout, &resources);
    ConsoleHost host;
    manager.Attach(&view, &host, &resources);
    const ShutdownOnExit shutdown(manager);
    nctool::WriteUtf8(stdout, "server " + g_DetailInfo.strServerName + " " + place.strIp + "\n");

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

    const std::string strPath = manager.GetResultFilePath();
    if (manager.GetResultFileError() != 0) {
        std::fprintf(stderr, "the result file %s could not be written: ", strPath.c_str());
        KXPlatform::WriteErrorText(KXPlatform::DescribeSystemError(manager.GetResultFileError()) + "\n");
        return 1;
    }
    std::printf("result file %s\n", strPath.c_str());
    return 0;
}

const nctool::CommandRegistrar registrar("check", &Run, kUsage);

}  // namespace
