// Start-up in its order: single instance, log, data directory, sockets, configuration, window, check.
#include "app/NetChk_Startup.h"

#include "app/NetChk_AppDefs.h"
#include "app/NetChk_Config.h"
#include "app/NetChk_Global.h"
#include "app/NetChk_MessageLoop.h"
#include "KX_Kernal/crash/KXKernal_CrashHandler.h"
#include "app/NetChk_SingleInstance.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Sockets.h"
#include "KX_Renderer/KXRenderer_Image.h"
#include "KX_Renderer/KXRenderer_ReadFile.h"

#include <cstdio>

namespace NetChkApp {

namespace {

constexpr char kIconFile[] = "interface/art/app_icon.png";

// The window's icon from the data tree; a missing icon only leaves the system's.
void SetWindowIcon(KXPlatform::IHostWindow& wnd) {
    std::vector<unsigned char> vecData;
    if (!KXRenderer::ReadResourceFile("InitInstance", kIconFile, vecData)) return;
    int nWidth = 0, nHeight = 0;
    std::vector<uint32_t> vecArgb;
    const char* szError = nullptr;
    if (!KXRenderer::DecodeImage(vecData, nWidth, nHeight, vecArgb, szError)) {
        ArkLog(WL_WARNING, M_Logic, "%s 图标[%s]无法解码: %s", "InitInstance", kIconFile, szError ? szError : "");
        return;
    }
    wnd.SetIcon(nWidth, nHeight, vecArgb.data());
}

}  // namespace

StartupPlatform StartupPlatform::System() {
    StartupPlatform p;
    p.fnAnotherInstanceRuns = [] { return IsAnotherInstanceRunning(); };
    p.fnStartupSockets = &KXPlatform::StartupSockets;
    p.fnCreateWindow = &KXPlatform::CreateSdlHostWindow;
    return p;
}

bool StartNetwork(const std::function<int()>& fnStartupSockets) {
    const int nError = fnStartupSockets();
    if (nError == 0) return true;
    ArkLog(WL_ERROR, M_Common, "WSAStartup 创建异步套接字初始化失败 error: [%d]\n", nError);
    char szText[256];
    std::snprintf(szText, sizeof(szText), kMsgSocketFailed, nError);
    ShowStartupMessage(szText);
    return false;
}

bool InitInstance(KXPlatform::IHostWindow& wnd, CNetChk_Global& global) {
    ArkLog(WL_MUST, M_Logic, "Init QVRTNetcheck：创建主窗口---");
    // The client area is exactly 640 x 520 and the window cannot be resized or maximised.
    if (!wnd.Create(kWindowTitle, kClientWidth, kClientHeight)) {
        ArkLog(WL_ERROR, M_Logic, "%s 创建主窗口失败: %s", "InitInstance", wnd.GetLastError().c_str());
        return false;
    }
    SetWindowIcon(wnd);
    wnd.Centre();
    wnd.Show(true);
    // The frame the window manager put around the client area, once the window is up.
    int nOuterWidth = 0, nOuterHeight = 0;
    wnd.GetOuterSize(nOuterWidth, nOuterHeight);
    const int nBorder = (nOuterWidth - kClientWidth) / 2;
    global.SetFrameSizes(nBorder, (nOuterHeight - kClientHeight) - nBorder);

    return global.Init(&wnd, kClientWidth, kClientHeight);
}

int RunNetCheck(const std::vector<std::string>& vecArgs, CNetChk_Global& global, const StartupPlatform& platform) {
    if (platform.fnAnotherInstanceRuns()) {
        ShowStartupMessage(kMsgAlreadyRunning);
        return 0;
    }
    CArkLogger::Instance().Init(kLogName);
    // Every relative path from here on (configuration, tables, packs, scripts) lies below "data".
    KXPlatform::SetCurrentDir(kDataDir);
    if (!StartNetwork(platform.fnStartupSockets)) return 0;
    if (!LoadConfig(vecArgs)) return 0;
    ArkLog(WL_MUST, M_Logic, "Init QVRTNetcheck：开始启动---");
    ArkLog(WL_MUST, M_Logic, "Init QVRTNetcheck：开始执行应用程序初始化---");

    std::unique_ptr<KXPlatform::IHostWindow> pWnd = platform.fnCreateWindow();
    if (!pWnd || !InitInstance(*pWnd, global)) {
        // What was made goes before the window it belongs to.
        global.Shutdown();
        ShowStartupMessage(kMsgInitFailed);
        return 0;
    }
    ArkLog(WL_MUST, M_Logic, "Init QVRTNetcheck：应用程序初始化结束---");
    // The libraries started above may have set their own fault handlers; ours come first again.
    ReassertCrashHandler();

    global.StartCheck(0);
    const int nExitCode = RunMessageLoop(*pWnd, global);
    global.Shutdown();
    KXPlatform::CleanupSockets();
    return nExitCode;
}

}  // namespace NetChkApp
