// The mouse event handlers of windows: normal presses, window dragging and drops.
#include "KX_GUI/ArkMouseHandlers.h"

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

void CNormalHandler::OnLButtonDown(int, int) {}

void CNormalHandler::OnLButtonUp(int, int) {}

void CNormalHandler::OnThirdEvent(uint32_t, int, int) {}

void CNormalHandler::StartDrag(int, int) {
    if (CArkGUIManager* pManager = m_pWnd->GetManager()) pManager->GetMouseProc().ChangeState(ARK_MOUSE_DRAG);
}

void CDragHandler::End(uint32_t uMsg, int nX, int nY) {
    CArkGUIManager* pManager = m_pWnd->GetManager();
    if (!pManager) return;
    CArkWnd* pTarget = pManager->GetRoot()->HitTest(nX, nY, 1, false);
    CArkWatch<> self(m_pWnd);  // the handler goes with its window: nothing of it is read after the first call
    if (pTarget && pTarget != self.Address()) pTarget->OnNotify(self.Get(), ARK_NOTIFY_DROP_TARGET, static_cast<intptr_t>(uMsg), 0);
    if (CArkWnd* pSelf = self.Get()) pSelf->OnNotify(pTarget, ARK_NOTIFY_DROP_SOURCE, static_cast<intptr_t>(uMsg), 0);
}

// The handler belongs to its window: once a hook has freed the window, the handler is gone too, so
// every step below keeps a watch on the window in a local and reads no member after a call out.
void CWndDragHandler::Begin(uint32_t uMsg, int nX, int nY) {
    CArkWatch<> wnd(m_pWnd);
    wnd->OnDragStart();
    if (wnd) Move(uMsg, nX, nY);
}

namespace {

// Positions are absolute, so every child and its children follow; one left behind would sit off its
// parent and leave a hole where it was drawn.
void MoveChildren(CArkWnd* pWnd, int nDx, int nDy) {
    for (CArkWnd* pChild = pWnd->GetFirstChild(); pChild;) {
        CArkWatch<> child(pChild);
        CArkWnd* pNext = pChild->GetNextSibling();
        pChild->MoveBy(nDx, nDy);
        if (!child) return;
        MoveChildren(pChild, nDx, nDy);
        if (!child) return;
        pChild = pNext;
    }
}

}  // namespace

void CWndDragHandler::Move(uint32_t, int nX, int nY) {
    CArkWnd* pWnd = m_pWnd;
    CArkWatch<> wnd(pWnd);
    if (!wnd || nX <= 0 || nY <= 0 || !pWnd->GetParent()) return;
    if (pWnd->HasStyle(ARK_STYLE_ATTACHED)) {
        pWnd->OnDragMove(pWnd->GetGrabX(), pWnd->GetGrabY(), nX, nY);
        if (wnd) pWnd->RecordGrab(nX, nY);
        return;
    }
    // Only a window whose style says so moves: a drag on a panel or an edit box must not shift it.
    if (!pWnd->HasStyle(ARK_STYLE_MOVABLE) || !pWnd->AcceptGrab(pWnd->GetGrabX(), pWnd->GetGrabY())) return;
    int nDx = nX - pWnd->GetGrabX() - pWnd->GetX();
    int nDy = nY - pWnd->GetGrabY() - pWnd->GetY();
    if (!pWnd->MayMoveBy(nDx, nDy)) return;
    pWnd->MoveBy(nDx, nDy);
    pWnd->OnMoved(nDx, nDy);
    if (!wnd) return;
    MoveChildren(pWnd, nDx, nDy);
}

void CWndDragHandler::End(uint32_t uMsg, int nX, int nY) {
    CArkWatch<> wnd(m_pWnd);
    CDragHandler::End(uMsg, nX, nY);
    if (wnd) wnd->OnDragEnd();
}

void CDestoryItemDragHandler::End(uint32_t, int, int) {
    CArkGUIManager* pManager = m_pWnd->GetManager();
    if (!pManager) return;
    if (CArkWnd* pIcon = pManager->GetCarryIconWnd()) pIcon->Show(false);
}

}  // namespace ArkGui
