// CNetChkMsgBox: creation, showing, the buttons and the links.
#include "netcheck/ui/NetChkMsgBox.h"

#include <cinttypes>
#include <cstdio>

#include "KX_GUI/ArkRichWnd.h"
#include "KX_Platform/KXPlatform_ScriptedAnswers.h"
#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChk_AppServices.h"
#include "netcheck/ui/NetChk_OpenUrl.h"

using namespace ArkGui;

namespace {
CNetChkMsgBox* g_pMsgBox = nullptr;

const char* const kFrameKeys[9] = {"PIC_STR_MsgBox_LT", "PIC_STR_MsgBox_T",  "PIC_STR_MsgBox_RT",
                                   "PIC_STR_MsgBox_L",  "PIC_STR_MsgBox_M",  "PIC_STR_MsgBox_R",
                                   "PIC_STR_MsgBox_LB", "PIC_STR_MsgBox_B",  "PIC_STR_MsgBox_RB"};
}  // namespace

CNetChkMsgBox* GetNetChkMsgBox() {
    if (g_pMsgBox) return g_pMsgBox;
    auto* pWnd = new CNetChkMsgBox();
    if (!NetChkWnd::CreateFromTemplate(pWnd, "test6")) {
        delete pWnd;
        return nullptr;
    }
    pWnd->CArkWnd::Show(false);
    pWnd->Setup();
    return pWnd;
}

CNetChkMsgBox::CNetChkMsgBox() = default;

CNetChkMsgBox::~CNetChkMsgBox() {
    if (g_pMsgBox == this) g_pMsgBox = nullptr;
}

void CNetChkMsgBox::Setup() {
    if (!g_pMsgBox) g_pMsgBox = this;
    NetChkWnd::ApplyControlFonts(this);
    SetLayerOrder(kLayer);
    m_frame.Load(this, kFrameKeys);
    m_pText = NetChkWnd::FindTyped<CArkRichWnd>(this, "test_rh2");
    if (m_pText) {
        m_pText->SetStyle(m_pText->GetStyle() + kRichStyleIncrement);
        m_pText->SetScrollPos(0);
    }
    m_pShield = FindChild("SheildWnd");
    m_pExitBtn = FindChild("testbt");
    m_pCloseBtn = FindChild("testbt2");
    m_pCloseBtn2 = FindChild("testbt3");
}

void CNetChkMsgBox::ShowMessage(const char* szText) {
    if (m_pText) m_pText->SetText(szText ? szText : "");
    NetChkWnd::CentreInRoot(this);
    if (m_pExitBtn) m_pExitBtn->Show(true);
    if (m_pCloseBtn) m_pCloseBtn->Show(true);
    if (m_pCloseBtn2) m_pCloseBtn2->Show(false);
    Show(true);
    // An automated run has nobody to press a button: the box is written out and takes its default.
    if (KXPlatform::WriteScriptedMessageBox(GetText().c_str(), szText)) CloseBox();
}

void CNetChkMsgBox::Show(bool bShow) {
    if (bShow) NetChkWnd::RaiseShield(m_pShield);
    CArkWnd::Show(bShow);
    if (bShow) BringToFront();
}

void CNetChkMsgBox::Update() {
    m_shieldPainter.Paint(m_pShield);
    CArkWnd::Update();
}

void CNetChkMsgBox::DrawLayer(const ArkImageLayer& layer, const KXRenderer::KXRectI* pClip) {
    // The frame goes under the window's own background.
    if (&layer == &m_layerEnabled || &layer == &m_layerDisabled) CArkWnd::DrawLayer(m_frame.Layout(m_nWidth, m_nHeight), pClip);
    CArkWnd::DrawLayer(layer, pClip);
}

int CNetChkMsgBox::OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t) {
    if (uCode == ARK_NOTIFY_LINK_LEFT) {
        OpenLink(a);
        return 0;
    }
    if (uCode != ARK_NOTIFY_CLICK || !pChild) return 0;
    if (pChild == m_pExitBtn) {
        if (INetChkAppServices* pApp = GetNetChkAppServices()) pApp->DestroyMainWindow();
    } else if (pChild == m_pCloseBtn || pChild == m_pCloseBtn2) {
        CloseBox();
    }
    return 0;
}

void CNetChkMsgBox::CloseBox() {
    CNetChkCommitWnd* pCommit = FindNetChkCommitWnd();
    if (pCommit && pCommit->IsVisible()) pCommit->ResumeEditing(false);
    Show(false);
}

void CNetChkMsgBox::OpenLink(intptr_t pLinkRecord) {
    const auto* pLink = reinterpret_cast<const ArkLinkRecord*>(pLinkRecord);
    if (!pLink) return;
    // The link's id names a string key that holds the address, so the table decides where links go.
    char szKey[16];
    std::snprintf(szKey, sizeof(szKey), "%d", static_cast<int32_t>(static_cast<uint32_t>(pLink->nLinkId & 0xFFFFFFFF)));
    OpenUrl(NetChkWnd::GetString(szKey).c_str());
}
