// CNetChk_Global: creation in order, the run and upload entry points, shutdown in order.
#include "app/NetChk_Global.h"

#include "app/NetChk_AppDefs.h"
#include "KX_GUI/ArkGUIManager.h"
#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChkMainWnd.h"
#include "netcheck/ui/NetChkMsgBox.h"
#include "netcheck/ui/NetChkTooltipWnd.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"

CNetChk_Global::CNetChk_Global(IKXFrameClock* pClock)
    : m_FrameLimiter(pClock), m_uCreatedTick(KXPlatform::GetTickCount()) {
    m_fnRendererFactory = [](KXPlatform::IHostWindow& wnd, int, int) {
        // The GPU when the machine has one; otherwise SDL's own software rasteriser.
        return KXRenderer::CreateWindowRenderer(wnd, !KXPlatform::HasGraphicsDevice());
    };
}

CNetChk_Global::~CNetChk_Global() {
    if (GetNetChkAppServices() == this) SetNetChkAppServices(nullptr);
    // The tree and the renderer must go before the window they draw into; Shutdown normally did it.
    m_CommandMgr.Attach(nullptr, this, &m_ResMgr);
    if (m_pRootWnd) m_pRootWnd->Destroy();
    m_pRootWnd.reset();
    m_pImeHandler.reset();
    m_pRenderer.reset();
}

bool CNetChk_Global::Init(KXPlatform::IHostWindow* pWnd, int nWidth, int nHeight) {
    m_pWnd = pWnd;
    m_FrameLimiter.SetDelayPerFrame(FrameLimiter::kDefaultDelayMs);

    // UI resources: control fonts, verdict bounds, display strings (a table that fails keeps defaults).
    m_ResMgr.LoadTables();

    if (!m_CommandMgr.initCommandMgr()) return false;

    if (!m_pWnd) return false;
    m_pRenderer = m_fnRendererFactory(*m_pWnd, nWidth, nHeight);
    if (!m_pRenderer) {
        ArkLog(WL_ERROR, M_Logic, "%s 创建渲染系统失败", "CNetChk_Global::Init");
        return false;
    }

    // The net-check windows find the application through this from their creation on.
    SetNetChkAppServices(this);
    if (!CreateWindowTree(nWidth, nHeight)) return false;
    if (!CreateNetChkWindows(nWidth, nHeight)) return false;

    m_nAppState = kAppChecking;
    return true;
}

bool CNetChk_Global::CreateWindowTree(int nWidth, int nHeight) {
    m_pRootWnd = std::make_unique<ArkGui::CArkRootWnd>();
    m_pRootWnd->CreateRoot(nWidth, nHeight, m_pWnd, m_pRenderer.get());
    ArkGui::CArkGUIManager* pManager = m_pRootWnd->GetManager();
    m_pImeHandler = std::make_unique<CImehandler>(m_pWnd);
    pManager->SetGuiHandler(m_pImeHandler.get());
    pManager->InitFontTable();
    // Every net-check window is made from a template of this package.
    if (!pManager->LoadLayout(NetChkApp::kRootLayout)) {
        ArkLog(WL_ERROR, M_Logic, "%s 界面布局[%s]加载失败", "CNetChk_Global::Init", NetChkApp::kRootLayout);
        return false;
    }
    pManager->SetTipWnd(GetNetChkGuiTipWnd());
    pManager->SetBindWnd(GetNetChkGuiBindWnd());
    return true;
}

bool CNetChk_Global::CreateNetChkWindows(int nWidth, int nHeight) {
    CNetChkMainWnd* pMain = GetNetChkMainWnd();
    GetNetChkCommitWnd();
    GetNetChkMsgBox();
    if (!pMain) {
        ArkLog(WL_ERROR, M_Logic, "%s 主窗口创建失败", "CNetChk_Global::Init");
        return false;
    }
    // The main window covers the whole client area; the check reports to it.
    pMain->SetRect({0, 0, nWidth, nHeight});
    pMain->Show(true);
    m_CommandMgr.Attach(pMain, this, &m_ResMgr);
    return true;
}

void CNetChk_Global::StartCheck(int nStep) {
    const bool bGrouped = m_CommandMgr.HasCommandGroups();
    m_CommandMgr.SetGrouped(bGrouped);
    m_CommandMgr.StartStep(static_cast<uint32_t>(nStep), bGrouped);
}

void CNetChk_Global::StopCheck() { m_CommandMgr.StopCheck(); }

bool CNetChk_Global::StartUpload() {
    m_Upload.SetResultTargets(&m_ResMgr, m_pUploadView);
    m_Upload.SetTargetFile(m_CommandMgr.GetCatalogue().m_strTargetFile);
    if (!m_Upload.StartUpload(GetAppTick())) return false;
    m_nAppState = kAppUploading;
    return true;
}

void CNetChk_Global::DestroyMainWindow() { WndProc(WM_DESTROY, 0, 0); }

uint32_t CNetChk_Global::GetAppTick() const {
    return static_cast<uint32_t>(static_cast<uint64_t>(m_FrameLimiter.GetTotalPassMS()));
}

void CNetChk_Global::FlashMainWindow() {
    if (m_pWnd) m_pWnd->Flash();
}

void CNetChk_Global::SetFrameSizes(int nBorderWidth, int nCaptionHeight) {
    m_nBorderWidth = nBorderWidth;
    m_nCaptionHeight = nCaptionHeight;
}

void CNetChk_Global::Shutdown() {
    m_CommandMgr.Attach(nullptr, this, &m_ResMgr);  // the view goes with the tree
    if (m_pRootWnd) m_pRootWnd->Destroy();
    m_pRootWnd.reset();
    m_pImeHandler.reset();
    if (m_pRenderer) m_pRenderer->ReleaseDeviceObjects();
    m_pRenderer.reset();
    for (int32_t nSlot = 0; nSlot < CNetChk_CommandMgr::kSlotCount; ++nSlot) {
        m_CommandMgr.DeleteLocalFile(CNetChk_CommandMgr::GetBatchFileName(nSlot));
    }
    m_CommandMgr.Reset();
    m_Upload.StopUpload();
    if (GetNetChkAppServices() == this) SetNetChkAppServices(nullptr);
}
