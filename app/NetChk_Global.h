// CNetChk_Global: the application object. It owns everything the window and the checks need (frame
// limiter, UI resources, command manager, input-method handler, the window tree) and runs the frame.
#pragma once

#include "KX_GUI/ArkRootWnd.h"
#include "KX_Kernal/misc/KXKernal_FPS.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/report/NetChk_UploadClient.h"
#include "netcheck/run/NetChk_RunHost.h"
#include "netcheck/ui/NetChk_AppServices.h"
#include "netcheck/ui/NetChk_ImeHandler.h"
#include "netcheck/ui/NetChk_UploadView.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <cstdint>
#include <functional>
#include <memory>

class CNetChk_Global : public INetChk_RunHost, public INetChkAppServices {
public:
    // Makes the renderer for the window; the program draws into the window itself, tests into memory.
    using RendererFactory =
        std::function<std::unique_ptr<KXRenderer::IKXRenderer>(KXPlatform::IHostWindow& wnd, int nWidth, int nHeight)>;

    // pClock: where the frame limiter takes its time (the system clock when null).
    explicit CNetChk_Global(IKXFrameClock* pClock = nullptr);
    ~CNetChk_Global() override;
    CNetChk_Global(const CNetChk_Global&) = delete;
    CNetChk_Global& operator=(const CNetChk_Global&) = delete;

    // Creates everything the GUI and the checks need on the window; false when the catalogue, the
    // renderer or the window tree cannot be made (start-up then ends with its message).
    bool Init(KXPlatform::IHostWindow* pWnd, int nWidth, int nHeight);
    // ---- INetChkAppServices: what the net-check windows call ----
    // Starts a check run at a step (0 = from the beginning).
    void StartCheck(int nStep) override;
    void StopCheck() override;
    bool StartUpload() override;
    // WM_DESTROY sent to the main window: the loop then ends and Shutdown runs.
    void DestroyMainWindow() override;
    // The application clock the frame limiter keeps, in milliseconds.
    uint32_t GetAppTick() const override;
    ArkGui::CArkRootWnd* GetRootWnd() override { return m_pRootWnd.get(); }
    CNetChk_UtilResMgr* GetResMgr() override { return &m_ResMgr; }
    const CNetChk_CommandMgr* GetCommandMgr() const override { return &m_CommandMgr; }

    // One iteration of the per-frame work: the poll of the current state, drawing, pacing.
    void Frame();
    // Tears down in order: window tree and input-method handler, renderer resources, the scripts of
    // both command slots, the command manager, the uploader.
    void Shutdown();

    // ---- the window procedure and the quit message ----
    // Returns 0 for what it handled itself; the rest goes to the default procedure.
    int64_t WndProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    // The root window's own message handler (what Alt+key messages go to); false without a root.
    bool RootMsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    void PostQuitMessage(int nExitCode);
    bool IsQuitPosted() const { return m_bQuitPosted; }
    int GetQuitCode() const { return m_nQuitCode; }
    // How many messages reached the default procedure (the system's handling of the rest).
    uint64_t GetDefaultProcCount() const { return m_uDefaultProcCount; }

    // ---- INetChk_RunHost ----
    void SetAppState(int32_t nState) override { m_nAppState = nState; }
    void RequestQuit() override { DestroyMainWindow(); }
    void FlashMainWindow() override;

    // ---- parts, for the start-up code and tests ----
    int32_t GetAppState() const { return m_nAppState; }
    KXPlatform::IHostWindow* GetWindow() const { return m_pWnd; }
    FrameLimiter& GetFrameLimiter() { return m_FrameLimiter; }
    CNetChk_CommandMgr& CommandMgr() { return m_CommandMgr; }
    CNetChk_UploadClient& Uploader() { return m_Upload; }
    // Where an upload's outcome shows: the report window and the message box unless a test puts
    // something else there. Not owned.
    void SetUploadView(INetChkUploadView* pView) { m_pUploadView = pView; }
    KXRenderer::IKXRenderer* GetRenderer() const { return m_pRenderer.get(); }
    void SetRendererFactory(RendererFactory factory) { m_fnRendererFactory = std::move(factory); }
    // The window frame measured when the window was placed: one side's width, the caption's height.
    void SetFrameSizes(int nBorderWidth, int nCaptionHeight);
    int GetBorderWidth() const { return m_nBorderWidth; }
    int GetCaptionHeight() const { return m_nCaptionHeight; }

private:
    bool CreateWindowTree(int nWidth, int nHeight);
    // The main window, the report window and the message box, in this order; false without a main window.
    bool CreateNetChkWindows(int nWidth, int nHeight);

    KXPlatform::IHostWindow* m_pWnd = nullptr;
    FrameLimiter m_FrameLimiter;
    CNetChk_UtilResMgr m_ResMgr;
    CNetChk_CommandMgr m_CommandMgr;
    CNetChk_UploadClient m_Upload;
    CNetChk_WindowUploadView m_WindowUploadView;
    INetChkUploadView* m_pUploadView = &m_WindowUploadView;
    std::unique_ptr<KXRenderer::IKXRenderer> m_pRenderer;
    std::unique_ptr<CImehandler> m_pImeHandler;
    std::unique_ptr<ArkGui::CArkRootWnd> m_pRootWnd;
    int m_nBorderWidth = 0;
    int m_nCaptionHeight = 0;
    int32_t m_nAppState = kAppIdle;

    RendererFactory m_fnRendererFactory;
    // When the object was made (process start for the program's global one), for the first frame's line.
    uint32_t m_uCreatedTick = 0;
    bool m_bFirstFramePresented = false;
    bool m_bQuitPosted = false;
    int m_nQuitCode = 0;
    uint64_t m_uDefaultProcCount = 0;
};
