// The polling main loop.
#include "app/NetChk_MessageLoop.h"

#include "app/NetChk_Global.h"

namespace NetChkApp {

namespace {
bool IsKeyMessage(uint32_t uMsg) {
    return uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN || uMsg == WM_KEYUP || uMsg == WM_SYSKEYUP;
}
}  // namespace

bool RunMessageLoopPass(KXPlatform::IHostWindow& wnd, CNetChk_Global& global) {
    // The quit message comes before further input, as the system delivers it.
    if (global.IsQuitPosted()) return false;
    KXPlatform::HostMessage msg;
    if (wnd.PollMessage(msg)) {
        // Alt+key belongs to the GUI alone: the system's handling (its menu, Alt+F4) never sees it.
        if (global.GetRootWnd() && IsKeyMessage(msg.uMessage) && wnd.GetKeyState(VK_MENU) < 0) {
            global.RootMsgProc(msg.uMessage, msg.wParam, msg.lParam);
        } else {
            global.WndProc(msg.uMessage, msg.wParam, msg.lParam);
        }
        return true;
    }
    global.Frame();
    return true;
}

int RunMessageLoop(KXPlatform::IHostWindow& wnd, CNetChk_Global& global) {
    while (RunMessageLoopPass(wnd, global)) {
    }
    return global.GetQuitCode();
}

}  // namespace NetChkApp
