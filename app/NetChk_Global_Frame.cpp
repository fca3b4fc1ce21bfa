// CNetChk_Global's frame and window procedure: what runs on every pass of the main loop.
#include "app/NetChk_Global.h"

#include "KX_GUI/ArkGUIManager.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"

namespace {
// What shows where no window of the tree draws.
constexpr uint32_t kClearColour = 0xFF000000u;
}  // namespace

void CNetChk_Global::Frame() {
    switch (m_nAppState) {
        case kAppChecking: m_CommandMgr.UpdateRun(); break;
        case kAppUploading:
            if (m_Upload.PollUpload(GetAppTick())) m_nAppState = kAppIdle;
            break;
        default: break;
    }
    // Drawn every frame; presented only when something visible changed.
    if (m_pRootWnd && m_pRenderer && m_pRootWnd->GetManager()->RenderFrame(kClearColour)) {
        m_pRenderer->Present();
        if (!m_bFirstFramePresented) {
            // How long the player waited for a picture: support asks for it when a start feels slow.
            m_bFirstFramePresented = true;
            ArkLog(WL_INFO, M_Logic, "%s 第一帧已显示，启动后 %u 毫秒", "CNetChk_Global::Frame",
                   KXPlatform::GetTickCount() - m_uCreatedTick);
        }
    }
    m_FrameLimiter.EndFrame();
}

bool CNetChk_Global::RootMsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    if (!m_pRootWnd) return false;
    return m_pRootWnd->GetManager()->MsgProc(uMsg, wParam, lParam) != 0;
}

int64_t CNetChk_Global::WndProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    if (RootMsgProc(uMsg, wParam, lParam)) return 0;
    switch (uMsg) {
        case WM_CLOSE:
            // Closing the window ends the program the way a fatal error does: through WM_DESTROY.
            WndProc(WM_DESTROY, 0, 0);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT:
            return 0;  // all drawing happens in the frame
        default:
            ++m_uDefaultProcCount;
            return 0;
    }
}

void CNetChk_Global::PostQuitMessage(int nExitCode) {
    m_bQuitPosted = true;
    m_nQuitCode = nExitCode;
}
