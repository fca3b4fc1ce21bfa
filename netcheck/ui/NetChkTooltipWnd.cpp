// CNetChkTooltipWnd and its two instances.
#include "netcheck/ui/NetChkTooltipWnd.h"

#include <algorithm>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRichWnd.h"

using namespace ArkGui;

namespace {
CNetChkGuiTipWnd* g_pTipWnd = nullptr;
CNetChkGuiBindWnd* g_pBindWnd = nullptr;

const char* const kFrameKeys[9] = {"PIC_STR_TIP_LT", "PIC_STR_TIP_T",  "PIC_STR_TIP_RT",
                                   "PIC_STR_TIP_L",  "PIC_STR_TIP_M",  "PIC_STR_TIP_R",
                                   "PIC_STR_TIP_LB", "PIC_STR_TIP_B",  "PIC_STR_TIP_RB"};
const char kTipFace[] = "黑体";
constexpr int kTipFontSize = 14;
}  // namespace

CNetChkGuiTipWnd* GetNetChkGuiTipWnd() {
    if (g_pTipWnd) return g_pTipWnd;
    auto* pWnd = new CNetChkGuiTipWnd();
    if (!pWnd->CreateTip("ItemPopoWnd")) {
        delete pWnd;
        return nullptr;
    }
    g_pTipWnd = pWnd;
    return pWnd;
}

CNetChkGuiBindWnd* GetNetChkGuiBindWnd() {
    if (g_pBindWnd) return g_pBindWnd;
    auto* pWnd = new CNetChkGuiBindWnd();
    if (!pWnd->CreateTip("ItemPopoWnd")) {
        delete pWnd;
        return nullptr;
    }
    g_pBindWnd = pWnd;
    return pWnd;
}

CNetChkGuiTipWnd::~CNetChkGuiTipWnd() {
    if (g_pTipWnd == this) g_pTipWnd = nullptr;
}

CNetChkGuiBindWnd::~CNetChkGuiBindWnd() {
    if (g_pBindWnd == this) g_pBindWnd = nullptr;
}

CNetChkTooltipWnd::CNetChkTooltipWnd() = default;
CNetChkTooltipWnd::~CNetChkTooltipWnd() = default;

bool CNetChkTooltipWnd::CreateTip(const char* szTemplate) {
    if (!NetChkWnd::CreateFromTemplate(this, szTemplate)) return false;
    Setup();
    return true;
}

void CNetChkTooltipWnd::Setup() {
    InitRichChild();
    CArkWnd::Show(false);
    SetLayerOrder(kLayer);
    m_frame.Load(this, kFrameKeys);
}

void CNetChkTooltipWnd::InitRichChild() {
    m_pRich = NetChkWnd::FindTyped<CArkRichWnd>(this, "Item_RichWnd");
    if (m_pRich) {
        // Plus the height that follows the text, so a short tip gets a short frame.
        m_pRich->SetStyle((m_pRich->GetStyle() + kRichStyleIncrement) | ARK_RICH_AUTO_HEIGHT);
    }
    SetAnchor(nullptr, 0);
}

void CNetChkTooltipWnd::ShowTip(const char* szText) {
    SetRect({m_nX, m_nY, m_nX + m_nWidth, m_nY + kInitialHeight});
    if (m_pRich) {
        m_pRich->Show(true);
        if (m_pManager) m_pManager->SetFont(m_pRich, kTipFace, kTipFontSize);
        m_pRich->SetText(szText ? szText : "");
        m_pRich->SetScrollPos(0);
    }
    m_strTip = szText ? szText : "";
    KXRenderer::KXRectI rc = GetRect();
    rc.nBottom += kRichExtra;
    PlaceRich(rc);
}

void CNetChkTooltipWnd::ClearTip() {
    m_strTip.clear();
    if (m_pRich) m_pRich->SetText("");
}

void CNetChkTooltipWnd::PlaceRich(const KXRenderer::KXRectI& rc) {
    if (!m_pRich) return;
    m_pRich->SetRect(rc);
    const int nContent = std::max(m_pRich->GetRichText().GetContentHeight(), 1);
    const int nHeight = std::min(nContent, rc.Height());
    if (nHeight != m_pRich->GetHeight()) m_pRich->SetRect({rc.nLeft, rc.nTop, rc.nRight, rc.nTop + nHeight});
}

void CNetChkTooltipWnd::DrawLayer(const ArkImageLayer& layer, const KXRenderer::KXRectI* pClip) {
    if (&layer == &m_layerEnabled || &layer == &m_layerDisabled) CArkWnd::DrawLayer(m_frame.Layout(m_nWidth, m_nHeight), pClip);
    CArkWnd::DrawLayer(layer, pClip);
}

void CNetChkTooltipWnd::SetRect(const KXRenderer::KXRectI& rc, bool bFlag) {
    const int nDx = rc.nLeft - m_nX;
    const int nDy = rc.nTop - m_nY;
    CArkWnd::SetRect(rc, bFlag);
    if (m_pRich && (nDx != 0 || nDy != 0)) {
        const KXRenderer::KXRectI rcRich = m_pRich->GetRect();
        m_pRich->SetRect({rcRich.nLeft + nDx, rcRich.nTop + nDy, rcRich.nRight + nDx, rcRich.nBottom + nDy});
    }
}

void CNetChkTooltipWnd::AfterChildren() {
    CArkWnd* pAnchor = GetAnchor();
    if (pAnchor && !pAnchor->IsVisible()) Show(false);
    CArkWnd::AfterChildren();
}

void CNetChkTooltipWnd::Show(bool bShow) {
    if (!bShow) {
        ClearTip();
        CArkWnd::Show(false);
        return;
    }
    if (m_pRich && !m_pRich->GetText().empty()) CArkWnd::Show(true);
}

void CNetChkTooltipWnd::Update() {
    // A tip anchored to another (the bind window beside the tip) follows it: right of it, tops level.
    CArkWnd* pAnchor = GetAnchor();
    if (pAnchor && pAnchor->IsVisible()) {
        const KXRenderer::KXRectI rcAnchor = pAnchor->GetRect();
        if (m_nX != rcAnchor.nRight || m_nY != rcAnchor.nTop) {
            SetRect({rcAnchor.nRight, rcAnchor.nTop, rcAnchor.nRight + m_nWidth, rcAnchor.nTop + m_nHeight});
        }
    }
    if (m_pRich) {
        const int nHeight = m_pRich->GetHeight() + kPadding;
        if (nHeight != m_nHeight) SetRect({m_nX, m_nY, m_nX + m_nWidth, m_nY + nHeight});
    }
    CArkWnd::Update();
}

int CNetChkTooltipWnd::OnRButtonDown(int, int, int) {
    CArkWnd* pAnchor = GetAnchor();
    if (pAnchor && pAnchor->IsVisible()) pAnchor->Show(false);
    else Show(false);
    return 1;
}
