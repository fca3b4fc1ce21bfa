// The mouse processor's states: normal (presses, releases, start of a drag), drag and carry.
#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkMouseHandlers.h"
#include "KX_GUI/ArkMouseMsgProc.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

namespace {

CNormalHandler* NormalHandlerOf(CArkWnd* pWnd) {
    return pWnd ? dynamic_cast<CNormalHandler*>(pWnd->GetMouseHandler(ARK_MOUSE_NORMAL)) : nullptr;
}

}  // namespace

void CNormalState::OnMessage(uint32_t uMsg, KXPlatform::WParam wParam, int nX, int nY) {
    CArkWnd* pFocus = m_proc.GetFocusWnd();
    switch (uMsg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            m_proc.SetPressPoint(nX, nY);
            m_proc.ChangeState(ARK_MOUSE_NORMAL);
            if (CNormalHandler* p = NormalHandlerOf(pFocus)) p->OnLButtonDown(nX, nY);
            break;
        case WM_LBUTTONUP:
            if (CNormalHandler* p = NormalHandlerOf(pFocus)) p->OnLButtonUp(nX, nY);
            m_proc.ReleaseFocus();
            break;
        case WM_MOUSEMOVE: {
            if (!(GET_KEYSTATE_WPARAM(wParam) & MK_LBUTTON) || !pFocus) break;
            if (m_proc.GetHitWnd() != pFocus) break;
            bool bMoved = nX - m_proc.GetPressX() != 0 || nY - m_proc.GetPressY() != 0;
            if (!bMoved || !pFocus->IsEnabled()) break;
            if (CNormalHandler* p = NormalHandlerOf(pFocus)) p->StartDrag(nX, nY);
            break;
        }
        default:
            if (CNormalHandler* p = NormalHandlerOf(pFocus)) p->OnThirdEvent(uMsg, nX, nY);
            break;
    }
}

void CDragState::OnEnter() {
    m_proc.GetManager().GetKeyProc().SetDragInProgress(true);
    CArkWnd* pFocus = m_proc.GetFocusWnd();
    if (IMouseEventHandler* p = pFocus ? pFocus->GetMouseHandler(m_nSlot) : nullptr) {
        p->Begin(WM_LBUTTONDOWN, m_proc.GetCursorX(), m_proc.GetCursorY());
    }
}

void CDragState::OnLeave() { m_proc.GetManager().GetKeyProc().SetDragInProgress(false); }

void CDragState::OnMessage(uint32_t uMsg, KXPlatform::WParam wParam, int nX, int nY) {
    CArkWnd* pDragged = m_proc.GetFocusWnd();
    bool bHeld = (GET_KEYSTATE_WPARAM(wParam) & MK_LBUTTON) != 0;
    if (uMsg == WM_MOUSEMOVE && bHeld) {
        if (IMouseEventHandler* p = pDragged ? pDragged->GetMouseHandler(m_nSlot) : nullptr) p->Move(uMsg, nX, nY);
        return;
    }
    if (uMsg != WM_LBUTTONUP && uMsg != WM_MOUSEMOVE) return;
    // Focus and hit are forgotten by the processor when their window goes, so both live here.
    CArkWatch<> dragged(pDragged);
    CArkWatch<> hit(m_proc.GetHitWnd());
    if (uMsg == WM_LBUTTONUP) m_proc.ReleaseFocus();
    // The drop goes to the dragged window's handler, which tells the window under the cursor.
    IMouseEventHandler* pHandler = nullptr;
    if (dragged) pHandler = dragged->GetMouseHandler(m_nSlot);
    if (!pHandler && hit) pHandler = hit->GetMouseHandler(m_nSlot);
    m_proc.ChangeState(ARK_MOUSE_NORMAL);
    if (pHandler) pHandler->End(uMsg, nX, nY);
}

}  // namespace ArkGui
