// CArkRichWnd: which points take the mouse, link presses and their messages, hover, scrolling.
#include "KX_GUI/ArkRichWnd.h"

#include "KX_GUI/ArkGUIManager.h"

namespace ArkGui {

bool CArkRichWnd::PtInWindow(int nX, int nY, bool bWheel) {
    if (!CArkWnd::PtInWindow(nX, nY, bWheel)) return false;
    if (bWheel && m_pVScroll) return true;
    const uint32_t uWhole = ArkRichFlag(ARK_RICH_SELECTABLE) | ArkRichFlag(ARK_RICH_TAKE_MOUSE);
    if ((m_rich.GetFlags() | m_rich.GetDefaultFlags()) & uWhole) return true;
    // Elsewhere the mouse goes through to what lies below: only links take it.
    const CAtom* pAtom = AtomAtWindowPoint(nX - m_nX, nY - m_nY);
    return pAtom && pAtom->nLinkId != ARK_RICH_NO_LINK;
}

int CArkRichWnd::OnLinkButton(bool bRight, int nX, int nY) {
    const CAtom* pAtom = AtomAtWindowPoint(nX, nY);
    if (!pAtom || pAtom->nLinkId == ARK_RICH_NO_LINK) return 0;
    m_link.nLinkId = pAtom->nLinkId;
    m_link.nParam1 = pAtom->nLinkParam1;
    m_link.nParam2 = pAtom->nLinkParam2;
    const intptr_t nRecord = reinterpret_cast<intptr_t>(&m_link);
    switch (m_link.nParam1) {
        case 1:
            NotifyParent(bRight ? ARK_NOTIFY_LINK_RIGHT : ARK_NOTIFY_LINK_LEFT, nRecord,
                         static_cast<intptr_t>((static_cast<uint32_t>(nY) << 16) | (static_cast<uint32_t>(nX) & 0xFFFFu)));
            break;
        case 2:
            NotifyParent(bRight ? ARK_NOTIFY_LINK_PARAM_RIGHT : ARK_NOTIFY_LINK_PARAM_LEFT, nRecord, m_link.nParam2);
            break;
        case 4:
            if (!bRight) {
                auto it = m_mapCallbacks.find(m_link.nLinkId);
                if (it != m_mapCallbacks.end() && it->second) {
                    // The callback may replace the text (and the callbacks): call a copy.
                    std::function<void(int32_t)> fn = it->second;
                    fn(m_link.nParam2);
                }
            }
            break;
        case 8:
            if (!bRight) NotifyParent(ARK_NOTIFY_LINK_KIND8, nRecord, m_link.nParam2);
            break;
        default: break;
    }
    return 1;
}

void CArkRichWnd::SetLinkCallback(int64_t nLinkId, std::function<void(int32_t)> fn) {
    m_mapCallbacks[nLinkId] = std::move(fn);
}

int CArkRichWnd::OnLButtonDown(int, int nX, int nY) {
    const CAtom* pAtom = AtomAtWindowPoint(nX, nY);
    m_pPressed = pAtom && pAtom->eKind == ArkAtomKind::Btn ? pAtom : nullptr;
    return OnLinkButton(false, nX, nY);
}

int CArkRichWnd::OnLButtonUp(int, int, int) {
    m_pPressed = nullptr;
    return 0;
}

int CArkRichWnd::OnRButtonDown(int, int nX, int nY) { return OnLinkButton(true, nX, nY); }

void CArkRichWnd::SetHovered(const CAtom* pAtom) {
    // A link wrapped over several runs lights up as a whole.
    bool bChanged = false;
    for (const auto& p : m_rich.GetAtoms()) {
        const bool bSameLink = pAtom && pAtom->nLinkId != ARK_RICH_NO_LINK && p->nLinkId == pAtom->nLinkId;
        const bool bHovered = p.get() == pAtom || bSameLink;
        bChanged = bChanged || p->bHovered != bHovered;
        p->bHovered = bHovered;
    }
    if (bChanged) Invalidate();
}

int CArkRichWnd::OnMouseMove(int, int nX, int nY) {
    SetHovered(AtomAtWindowPoint(nX, nY));
    return 0;
}

void CArkRichWnd::Update() {
    CArkWnd::Update();
    if (m_pManager && m_pManager->GetHoveredWnd() != this) {
        SetHovered(nullptr);
        if (m_pPressed) Invalidate();
        m_pPressed = nullptr;
    }
    UpdateBlink();
}

bool CArkRichWnd::OnMouseWheel(int nKeys, int nDelta, int nX, int nY) {
    if (!m_pVScroll) return CArkWnd::OnMouseWheel(nKeys, nDelta, nX, nY);
    m_pVScroll->OnWheel(nDelta);
    return true;
}

int CArkRichWnd::OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) {
    if (pChild && pChild == m_pVScroll.get()) {
        if (uCode == ARK_NOTIFY_SCROLL) {
            m_nScrollY = static_cast<int>(b);
            Invalidate();
        }
        return 1;
    }
    return CArkWnd::OnNotify(pChild, uCode, a, b);
}

}  // namespace ArkGui
