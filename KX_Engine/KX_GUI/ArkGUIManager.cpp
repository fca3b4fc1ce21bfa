// CArkGUIManager: live windows, the modal stack, fonts, the message entry and the frame.
#include "KX_GUI/ArkGUIManager.h"

#include <algorithm>

#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkTipWnd.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

CArkGUIManager::CArkGUIManager(CArkRootWnd* pRoot) : m_pRoot(pRoot), m_keyProc(*this), m_mouseProc(*this) {}

CArkGUIManager::~CArkGUIManager() = default;

void CArkGUIManager::SetTickSource(std::function<uint32_t()> fnTick) { m_fnTick = std::move(fnTick); }

uint32_t CArkGUIManager::GetTick() const { return m_fnTick ? m_fnTick() : KXPlatform::GetTickCount(); }

int16_t CArkGUIManager::GetKeyState(int nVirtualKey) const { return m_pHost ? m_pHost->GetKeyState(nVirtualKey) : 0; }

void CArkGUIManager::EnableIme(bool bEnable) {
    if (m_pHandler) m_pHandler->EnableIme(bEnable);
    else if (m_pHost) m_pHost->EnableIme(bEnable);
}

void CArkGUIManager::RegisterWnd(CArkWnd* pWnd) {
    m_setLive.insert(pWnd);
    Invalidate();
}

void CArkGUIManager::UnregisterWnd(CArkWnd* pWnd) {
    m_setLive.erase(pWnd);
    Invalidate();
    m_keyProc.RemoveAccelerators(pWnd);
    RemoveHookedWnd(pWnd);
    m_mouseProc.Forget(pWnd);
    if (m_pTipOwner == pWnd) {
        if (m_pTipWnd && IsLive(m_pTipWnd)) m_pTipWnd->Show(false);
        m_pTipOwner = nullptr;
    }
    if (m_pCursorWnd == pWnd) m_pCursorWnd = nullptr;
    if (m_pHovered == pWnd) m_pHovered = nullptr;
    if (m_pCarryIcon == pWnd) m_pCarryIcon = nullptr;
    if (m_pTipWnd == pWnd) m_pTipWnd = nullptr;
    if (m_pBindWnd == pWnd) m_pBindWnd = nullptr;
}

void CArkGUIManager::AddModal(CArkWnd* pWnd) {
    if (!pWnd) return;
    for (CArkWnd* p = m_pModalTop; p; p = p->GetNextModal()) {
        if (p == pWnd) return;
    }
    pWnd->SetNextModal(m_pModalTop);
    m_pModalTop = pWnd;
    Invalidate();
}

void CArkGUIManager::RemoveModal(CArkWnd* pWnd) {
    CArkWnd* pPrev = nullptr;
    for (CArkWnd* p = m_pModalTop; p; pPrev = p, p = p->GetNextModal()) {
        if (p != pWnd) continue;
        if (pPrev) pPrev->SetNextModal(p->GetNextModal()); else m_pModalTop = p->GetNextModal();
        p->SetNextModal(nullptr);
        Invalidate();
        return;
    }
}

bool CArkGUIManager::IsInsideModal(const CArkWnd* pModal, const CArkWnd* pWnd) const {
    return pModal && pWnd && (pModal == pWnd || pModal->Contains(pWnd));
}

void CArkGUIManager::AddHookedWnd(CArkWnd* pWnd) {
    if (pWnd && std::find(m_vecHooked.begin(), m_vecHooked.end(), pWnd) == m_vecHooked.end()) m_vecHooked.push_back(pWnd);
}

void CArkGUIManager::RemoveHookedWnd(const CArkWnd* pWnd) {
    m_vecHooked.erase(std::remove(m_vecHooked.begin(), m_vecHooked.end(), pWnd), m_vecHooked.end());
}

void CArkGUIManager::TrackTooltip(CArkWnd* pHovered, int nCursorX, int nCursorY) {
    auto* pTip = dynamic_cast<CArkTipWnd*>(m_pTipWnd);
    if (!pTip || !IsLive(pTip)) return;
    auto* pBind = dynamic_cast<CArkTipWnd*>(m_pBindWnd);
    if (pBind && !IsLive(pBind)) pBind = nullptr;
    for (CArkWnd* p = pHovered; p; p = p->GetParent()) {
        if (p == pTip || p == pBind) return;
    }
    if (pHovered == m_pTipOwner) return;
    if (m_pTipOwner) {
        m_pTipOwner = nullptr;
        pTip->Show(false);
        if (pBind) pBind->Show(false);
    }
    if (!pHovered || pHovered->GetTipText().empty()) return;
    CArkWatch<> hovered(pHovered);
    CArkWatch<CArkTipWnd> tip(pTip);
    CArkWatch<CArkTipWnd> bind(pBind);
    // The tips lay their texts out first: their sizes decide where they go.
    pTip->ShowTip(pHovered->GetTipText().c_str());
    if (tip) pTip->Update();
    const bool bWithBind = bind && hovered && !pHovered->GetBindText().empty();
    if (bWithBind) {
        pBind->ShowTip(pHovered->GetBindText().c_str());
        if (bind) pBind->Update();
    }
    if (!tip || !hovered) return;
    int nWidth = pTip->GetWidth();
    int nHeight = pTip->GetHeight();
    if (bWithBind && bind) {
        // The bind window stands right of the tip; the pair is placed as one rectangle.
        nWidth += pBind->GetWidth();
        nHeight = std::max(nHeight, pBind->GetHeight());
    }
    const KXRenderer::KXRectI rc = ArkPlaceTip(nCursorX, nCursorY, nWidth, nHeight, pHovered->GetY(), false,
                                               m_pRoot->GetWidth(), m_pRoot->GetHeight());
    pTip->ShowAt({rc.nLeft, rc.nTop, rc.nLeft + pTip->GetWidth(), rc.nTop + pTip->GetHeight()});
    if (bWithBind && bind && tip) {
        pBind->SetAnchor(pTip, 1);
        pBind->ShowAt({rc.nLeft + pTip->GetWidth(), rc.nTop, rc.nRight, rc.nTop + pBind->GetHeight()});
    }
    if (tip && pTip->IsVisible()) m_pTipOwner = pHovered;
}

bool CArkGUIManager::InitFontTable() { return m_fontTable.Init(); }

bool CArkGUIManager::SetFont(CArkWnd* pWnd, const char* szFace, int nSize) {
    if (!pWnd || !m_fontTable.IsSetUp()) return false;
    bool bMark = KXRenderer::CKXGuiFontTable::IsFileFaceName(szFace);
    bool bFileFaces = bMark || pWnd->UsesFileFaces();
    int nEntry = pWnd->GetFontEntry();
    int nEffective = nSize;
    if (!KXRenderer::CKXGuiFontTable::SelectEntry(nSize, bFileFaces, nEntry, nEffective)) nEffective = nSize;
    pWnd->SetFontState(szFace, nEntry, nEffective, bMark);
    return true;
}

KXRenderer::CKXFont* CArkGUIManager::GetFont(int nEntry, bool bFileFace) const {
    return m_fontTable.IsSetUp() ? m_fontTable.GetFont(nEntry, bFileFace) : nullptr;
}

int CArkGUIManager::MsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    // Input may change anything on screen (hover, press, focus, text); a frame with input is drawn.
    Invalidate();
    if (uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST) {
        m_bCursorOutside = false;
        return m_mouseProc.MsgProc(uMsg, wParam, lParam, false);
    }
    if ((uMsg >= WM_KEYDOWN && uMsg <= WM_KEYLAST) || uMsg == WM_IME_CHAR) return m_keyProc.MsgProc(uMsg, wParam, lParam);
    if (uMsg == WM_SETCURSOR) return OnSetCursor();
    if (uMsg == WM_MOUSELEAVE) m_bCursorOutside = true;
    return 0;
}

int CArkGUIManager::MouseOnlyProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    if (uMsg < WM_MOUSEFIRST || uMsg > WM_MOUSELAST) return 0;
    Invalidate();
    return m_mouseProc.MsgProc(uMsg, wParam, lParam, true);
}

int CArkGUIManager::OnSetCursor() {
    if (!m_pCursorWnd || m_mouseProc.GetState() == ARK_MOUSE_NORMAL) {
        // The window the mouse is over as the mouse route sees it, so a window that takes clicks (an
        // edit box) shows its own cursor.
        m_pCursorWnd = m_mouseProc.WindowAt(m_mouseProc.GetCursorX(), m_mouseProc.GetCursorY(), m_bPassThrough, false);
    }
    KXPlatform::HostCursor eCursor = m_eDefaultCursor;
    if (m_pCursorWnd && m_pCursorWnd->HasCursorShape()) eCursor = m_pCursorWnd->GetCursorShape();
    if (m_pCarryIcon && m_pCarryIcon->IsVisible()) eCursor = KXPlatform::HostCursor::None;
    if (m_pHost) m_pHost->SetCursor(eCursor);
    return 1;
}

void CArkGUIManager::InvalidateRect(const KXRenderer::KXRectI& rc) {
    if (rc.IsEmpty()) return;
    if (m_rcDirty.IsEmpty()) {
        m_rcDirty = rc;
        return;
    }
    m_rcDirty.nLeft = std::min(m_rcDirty.nLeft, rc.nLeft);
    m_rcDirty.nTop = std::min(m_rcDirty.nTop, rc.nTop);
    m_rcDirty.nRight = std::max(m_rcDirty.nRight, rc.nRight);
    m_rcDirty.nBottom = std::max(m_rcDirty.nBottom, rc.nBottom);
}

void CArkGUIManager::CollectForUpdate(CArkWnd* pWnd, std::vector<CArkWnd*>& vecOut) const {
    if (!pWnd->GetVisibleFlag()) return;
    vecOut.push_back(pWnd);
    for (CArkWnd* pChild = pWnd->GetLastChild(); pChild; pChild = pChild->GetPrevSibling()) {
        if (!pChild->HasStyle(ARK_STYLE_MODAL) && !pChild->GetExcludeFromDrawing()) CollectForUpdate(pChild, vecOut);
    }
}

void CArkGUIManager::UpdateTree() {
    // The windows are listed first: an Update may tell a parent, which may close or free windows, so
    // each is asked for again in the live set before its turn.
    std::vector<CArkWnd*> vecTurn;
    vecTurn.swap(m_vecUpdate);  // keeps the capacity from frame to frame
    vecTurn.clear();
    CollectForUpdate(m_pRoot, vecTurn);
    std::vector<CArkWnd*> vecModal;
    for (CArkWnd* p = m_pModalTop; p; p = p->GetNextModal()) vecModal.push_back(p);
    for (auto it = vecModal.rbegin(); it != vecModal.rend(); ++it) {
        if (IsLive(*it) && !(*it)->GetExcludeFromDrawing()) CollectForUpdate(*it, vecTurn);
    }
    for (CArkWnd* pWnd : vecTurn) {
        if (pWnd == m_pRoot || IsLive(pWnd)) pWnd->Update();
    }
    m_vecUpdate.swap(vecTurn);
}

void CArkGUIManager::Render() {
    m_pRoot->RenderTree();
    // Modal windows come last, the oldest first, so the top of the stack is drawn on top.
    std::vector<CArkWnd*> vecModal;
    for (CArkWnd* p = m_pModalTop; p; p = p->GetNextModal()) vecModal.push_back(p);
    for (auto it = vecModal.rbegin(); it != vecModal.rend(); ++it) {
        if (IsLive(*it) && (*it)->IsVisible() && !(*it)->GetExcludeFromDrawing()) (*it)->RenderTree();
    }
    if (m_fnAfterFrame) m_fnAfterFrame();
}

bool CArkGUIManager::RenderFrame(uint32_t uClearArgb) {
    UpdateTree();
    if (!m_pRenderer) return false;
    if (uClearArgb != m_uLastClear) m_bDirtyAll = true;
    if (!NeedsDrawing()) return false;
    const bool bPartial = !m_bDirtyAll && m_pRenderer->KeepsFrame();
    const bool bBegun = bPartial ? m_pRenderer->BeginPartialFrame(uClearArgb, m_rcDirty) : m_pRenderer->BeginFrame(uClearArgb);
    if (!bBegun) return false;
    // Cleared before drawing: what changes while the tree draws is drawn again next frame.
    m_bDirtyAll = false;
    m_rcDirty = KXRenderer::KXRectI();
    m_uLastClear = uClearArgb;
    Render();
    m_pRenderer->EndFrame();
    return true;
}

bool CArkGUIManager::BeginGroup() { return m_pRenderer && m_pRenderer->BeginOffscreen(); }

void CArkGUIManager::EndGroup(double dOpacity) {
    if (!m_pRenderer || !m_pRenderer->IsOffscreen()) return;
    double d = std::min(1.0, std::max(0.0, dOpacity));
    uint32_t uAlpha = static_cast<uint32_t>(d * 255.0 + 0.5);
    m_pRenderer->EndOffscreen((uAlpha << 24) | 0x00FFFFFFu);
}

}  // namespace ArkGui
