// The program from its entry to its exit code: start-up, the main window, the loop, shutdown.
#pragma once

#include "KX_Platform/KXPlatform_HostWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CNetChk_Global;

namespace NetChkApp {

// The system services start-up goes through; tests put their own in place.
struct StartupPlatform {
    std::function<bool()> fnAnotherInstanceRuns;
    std::function<int()> fnStartupSockets;  // 0 or the socket library's error code
    std::function<std::unique_ptr<KXPlatform::IHostWindow>()> fnCreateWindow;
    // The system's: the process list, the socket library and an SDL window.
    static StartupPlatform System();
};

// The whole program; every early exit returns 0, a normal end the quit message's code.
int RunNetCheck(const std::vector<std::string>& vecArgs, CNetChk_Global& global, const StartupPlatform& platform);

// Starts the socket library; on failure logs and shows the error code and returns false.
bool StartNetwork(const std::function<int()>& fnStartupSockets);

// Creates the main window (title, client 640 x 520, centred, icon), measures its frame and initialises
// the application on it; false when any of that fails.
bool InitInstance(KXPlatform::IHostWindow& wnd, CNetChk_Global& global);

}  // namespace NetChkApp
