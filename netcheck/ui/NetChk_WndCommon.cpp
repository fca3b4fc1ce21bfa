// Shared helpers of the net-check windows.
#include "netcheck/ui/NetChk_WndCommon.h"

#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXRenderer.h"
#include "netcheck/ui/NetChkMainWnd.h"
#include "netcheck/ui/NetChk_AppServices.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace NetChkWnd {

ArkGui::CArkWnd* GetRoot() {
    INetChkAppServices* pApp = GetNetChkAppServices();
    return pApp ? pApp->GetRootWnd() : nullptr;
}

std::string GetString(const std::string& strKey) {
    INetChkAppServices* pApp = GetNetChkAppServices();
    const CNetChk_UtilResMgr* pRes = pApp ? pApp->GetResMgr() : nullptr;
    return pRes ? pRes->GetNetChkString(strKey) : std::string();
}

uint32_t GetTick(const ArkGui::CArkWnd* pWnd) {
    if (INetChkAppServices* pApp = GetNetChkAppServices()) return pApp->GetAppTick();
    return pWnd && pWnd->GetManager() ? pWnd->GetManager()->GetTick() : 0;
}

bool CreateFromTemplate(ArkGui::CArkWnd* pWnd, const char* szTemplate) {
    ArkGui::CArkWnd* pRoot = GetRoot();
    if (!pWnd || !pRoot || !pRoot->GetManager()) {
        ArkLog(WL_ERROR, M_UI, "%s: no window tree to create [%s] in", "NetChkWnd::CreateFromTemplate",
               szTemplate ? szTemplate : "");
        return false;
    }
    // The tree deletes the window with the root; its accessor hears of it through the destructor.
    pWnd->SetDeleteWithParent(true);
    if (pWnd->CreateFromTemplate(szTemplate, pRoot) == 0) return true;
    pWnd->Create("", 0, 0, 0, 0, 0, pRoot);
    return true;
}

void ApplyControlFonts(ArkGui::CArkWnd* pWnd) {
    INetChkAppServices* pApp = GetNetChkAppServices();
    CNetChk_UtilResMgr* pRes = pApp ? pApp->GetResMgr() : nullptr;
    if (pRes && pWnd) pRes->ApplyControlFonts(pWnd, true);
}

void CentreInRoot(ArkGui::CArkWnd* pWnd) {
    auto* pRoot = dynamic_cast<ArkGui::CArkRootWnd*>(GetRoot());
    if (!pWnd || !pRoot) return;
    const KXRenderer::KXRectI& rcClient = pRoot->GetClientRect();
    const int nLeft = (rcClient.Width() - pWnd->GetWidth()) / 2;
    const int nTop = (rcClient.Height() - pWnd->GetHeight()) / 2;
    pWnd->SetRect({nLeft, nTop, nLeft + pWnd->GetWidth(), nTop + pWnd->GetHeight()});
}

bool CNineFrame::Load(ArkGui::CArkWnd* pWnd, const char* const szKeys[9]) {
    m_vecPieces.clear();
    m_layer.Clear();
    m_nWidth = m_nHeight = -1;
    m_bLoaded = false;
    KXRenderer::IKXRenderer* pRenderer = pWnd && pWnd->GetManager() ? pWnd->GetManager()->GetRenderer() : nullptr;
    if (!pRenderer) return false;
    for (int i = 0; i < 9; ++i) {
        const std::string strName = GetString(szKeys[i]);
        std::shared_ptr<KXRenderer::CKXTexture> pTexture = strName.empty() ? nullptr : pRenderer->LoadTexture(strName.c_str());
        if (!pTexture) {
            ArkLog(WL_ERROR, M_UI, "不能加载资源：%s", strName.empty() ? szKeys[i] : strName.c_str());
            m_vecPieces.clear();
            return false;
        }
        m_vecPieces.push_back(std::move(pTexture));
    }
    m_bLoaded = true;
    return true;
}

const ArkGui::ArkImageLayer& CNineFrame::Layout(int nWidth, int nHeight) {
    if (m_bLoaded && (nWidth != m_nWidth || nHeight != m_nHeight)) {
        m_nWidth = nWidth;
        m_nHeight = nHeight;
        m_layer.Clear();
        ArkGui::CDecorateWndNine nine;
        nine.SetSize(nWidth, nHeight);
        if (!nine.Build(m_layer, m_vecPieces)) m_layer.Clear();
    }
    return m_layer;
}

void CShieldPainter::Paint(ArkGui::CArkWnd* pShield) {
    if (!pShield || !pShield->IsVisible() || !pShield->GetManager()) return;
    KXRenderer::IKXRenderer* pRenderer = pShield->GetManager()->GetRenderer();
    const std::string strName = GetString("PIC_STR_TIP_SHEILD");
    if (!pRenderer || strName.empty()) return;
    if (strName == m_strPainted && pShield->GetWidth() == m_nWidth && pShield->GetHeight() == m_nHeight) return;
    m_strPainted = strName;
    m_nWidth = pShield->GetWidth();
    m_nHeight = pShield->GetHeight();
    ArkGui::ArkImageLayer* pLayer = pShield->GetLayer(ArkGui::ArkAttrKey(ArkGui::ARK_ATTR_ENABLED));
    if (!pLayer) return;
    pLayer->Clear();
    std::shared_ptr<KXRenderer::CKXTexture> pTexture = pRenderer->LoadTexture(strName.c_str());
    if (!pTexture) return;
    pLayer->AddStretched(pTexture, {0, 0, static_cast<float>(m_nWidth), static_cast<float>(m_nHeight)}, 0xFFFFFFFFu);
}

void RaiseShield(ArkGui::CArkWnd* pShield) {
    if (!pShield) return;
    if (CNetChkMainWnd* pMain = FindNetChkMainWnd()) pShield->SetRect(pMain->GetRect());
    pShield->Show(true);
}

}  // namespace NetChkWnd
