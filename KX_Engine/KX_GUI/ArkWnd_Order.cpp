// CArkWnd: raising windows among their siblings, and activation of a window chain.
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

namespace {

// Where a top-level window goes when raised: the sibling it is inserted before (null: the end).
CArkWnd* FindRaisePlace(const CArkWnd* pWnd) {
    CArkWnd* pParent = pWnd->GetParent();
    auto next = [pWnd](CArkWnd* p) {
        p = p->GetNextSibling();
        return p == pWnd ? p->GetNextSibling() : p;
    };
    CArkWnd* pFirst = pParent->GetFirstChild();
    if (pFirst == pWnd) pFirst = pWnd->GetNextSibling();
    if (pWnd->HasStyle(ARK_STYLE_BOTTOM_GROUP)) {
        for (CArkWnd* p = pFirst; p; p = next(p)) {
            if (p->HasStyle(ARK_STYLE_BOTTOM_GROUP)) return p;
        }
        return nullptr;
    }
    if (pWnd->HasStyle(ARK_STYLE_TOPMOST)) return pFirst;
    CArkWnd* p = pFirst;
    while (p && p->HasStyle(ARK_STYLE_TOPMOST)) p = next(p);
    // Windows of a higher layer stay in front; the bottom group stays behind.
    while (p && !p->HasStyle(ARK_STYLE_BOTTOM_GROUP) && p->GetLayerOrder() > pWnd->GetLayerOrder()) p = next(p);
    return p;
}

}  // namespace

void CArkWnd::BringToFront() {
    CArkWnd* pTop = this;
    while (pTop->m_pParent && pTop->m_pParent->m_nType != ARK_WND_ROOT) pTop = pTop->m_pParent;
    if (!pTop->m_pParent) return;  // the root itself, or a window outside a rooted tree
    CArkWnd* pBefore = FindRaisePlace(pTop);
    if (pBefore == pTop->m_pNext) return;  // already in place
    pTop->MoveBefore(pBefore);
}

void CArkWnd::Activate() {
    if (!m_pManager) return;
    CArkGUIManager* pManager = m_pManager;
    CArkWnd* pOld = pManager->GetActiveWnd();
    if (pOld == this) return;
    // Deactivate the old chain up to (not including) the first window that is also an ancestor of this one.
    auto isAncestorOfThis = [this](const CArkWnd* p) {
        for (const CArkWnd* q = this; q; q = q->m_pParent) {
            if (q == p) return true;
        }
        return false;
    };
    CArkWatch<> self(this);
    for (CArkWnd* p = pOld; p && !isAncestorOfThis(p);) {
        CArkWatch<> parent(p->m_pParent);
        p->m_bActive = false;
        p->OnActivate(false);
        p = parent.Get();
    }
    if (!self) return;
    std::vector<CArkWatch<>> vecChain;
    for (CArkWnd* p = this; p && !p->m_bActive; p = p->m_pParent) vecChain.emplace_back(p);
    pManager->SetActiveWnd(this);
    for (auto it = vecChain.rbegin(); it != vecChain.rend(); ++it) {
        CArkWnd* p = it->Get();
        if (!p) continue;
        p->m_bActive = true;
        p->OnActivate(true);
    }
    if (self) BringToFront();
}

void CArkWnd::Deactivate() {
    if (!m_pManager || !m_bActive) return;
    CArkGUIManager* pManager = m_pManager;
    if (pManager->GetActiveWnd() == this) pManager->SetActiveWnd(nullptr);
    m_bActive = false;
    OnActivate(false);
}

}  // namespace ArkGui
