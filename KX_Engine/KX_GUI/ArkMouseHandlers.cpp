// The mouse event handlers of windows: normal presses, window dragging and drops.
#include "KX_GUI/ArkMouseHandlers.h"

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
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
    CArkWnd* pSelf = m_pWnd;
    if (pTarget && pTarget != pSelf) pTarget->OnNotify(pSelf, ARK_NOTIFY_DROP_TARGET, static_cast<intptr_t>(uMsg), 0);
    if (pManager->IsLive(pSelf)) pSelf->OnNotify(pTarget, ARK_NOTIFY_DROP_SOURCE, static_cast<intptr_t>(uMsg), 0);
}

void CWndDragHandler::Begin(uint32_t uMsg, int nX, int nY) {
    CArkGUIManager* pManager = m_pWnd->GetManager();
    m_pWnd->OnDragStart();
    if (pManager && pManager->IsLive(m_pWnd)) Move(uMsg, nX, nY);
}

namespace {

// Attached children follow, and their attached children follow them.
void MoveAttachedChildren(CArkGUIManager* pManager, CArkWnd* pWnd, int nDx, int nDy) {
    for (CArkWnd* pChild = pWnd->GetFirstChild(); pChild;) {
        CArkWnd* pNext = pChild->GetNextSibling();
        if (pChild->HasStyle(ARK_STYLE_ATTACHED)) {
            pChild->MoveBy(nDx, nDy);
            if (!pManager->IsLive(pChild)) return;
            MoveAttachedChildren(pManager, pChild, nDx, nDy);
            if (!pManager->IsLive(pChild)) return;
        }
        pChild = pNext;
    }
}

}  // namespace

void CWndDragHandler::Move(uint32_t, int nX, int nY) {
    CArkGUIManager* pManager = m_pWnd->GetManager();
    if (!pManager || nX <= 0 || nY <= 0 || !m_pWnd->GetParent()) return;
    if (m_pWnd->HasStyle(ARK_STYLE_ATTACHED)) {
        m_pWnd->OnDragMove(m_pWnd->GetGrabX(), m_pWnd->GetGrabY(), nX, nY);
        if (pManager->IsLive(m_pWnd)) m_pWnd->RecordGrab(nX, nY);
        return;
    }
    if (!m_pWnd->AcceptGrab(m_pWnd->GetGrabX(), m_pWnd->GetGrabY())) return;
    int nDx = nX - m_pWnd->GetGrabX() - m_pWnd->GetX();
    int nDy = nY - m_pWnd->GetGrabY() - m_pWnd->GetY();
    if (!m_pWnd->MayMoveBy(nDx, nDy)) return;
    m_pWnd->MoveBy(nDx, nDy);
    m_pWnd->OnMoved(nDx, nDy);
    if (!pManager->IsLive(m_pWnd)) return;
    MoveAttachedChildren(pManager, m_pWnd, nDx, nDy);
}

void CWndDragHandler::End(uint32_t uMsg, int nX, int nY) {
    CArkGUIManager* pManager = m_pWnd->GetManager();
    CDragHandler::End(uMsg, nX, nY);
    if (pManager && pManager->IsLive(m_pWnd)) m_pWnd->OnDragEnd();
}

void CDestoryItemDragHandler::End(uint32_t, int, int) {
    CArkGUIManager* pManager = m_pWnd->GetManager();
    if (!pManager) return;
    if (CArkWnd* pIcon = pManager->GetCarryIconWnd()) pIcon->Show(false);
}

}  // namespace ArkGui
