// CArkMouseMsgProc: the one place where mouse messages become handler calls on windows.
#include "KX_GUI/ArkMouseMsgProc.h"

#include <algorithm>
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkWatch.h"

namespace ArkGui {

CArkMouseMsgProc::CArkMouseMsgProc(CArkGUIManager& manager) : m_manager(manager) {
    m_apStates[ARK_MOUSE_NORMAL] = std::make_unique<CNormalState>(*this);
    m_apStates[ARK_MOUSE_DRAG] = std::make_unique<CDragState>(*this, ARK_MOUSE_DRAG);
    m_apStates[ARK_MOUSE_CARRY] = std::make_unique<CCarryState>(*this);
}

CArkMouseMsgProc::~CArkMouseMsgProc() = default;

void CArkMouseMsgProc::SetFocusWnd(CArkWnd* pWnd) {
    if (m_pFocus && m_pFocus != pWnd) m_pFocus->SetFocusFlag(false, 0, 0);
    if (m_pFocus != pWnd) m_pPrevFocus = m_pFocus;
    m_pFocus = pWnd;
    if (pWnd) pWnd->SetFocusFlag(true, m_nCursorX, m_nCursorY);
}

void CArkMouseMsgProc::ReleaseFocus() {
    // The released window stays known as the previous focus: a button's release compares with it.
    m_pPrevFocus = m_pFocus;
    if (m_pFocus) m_pFocus->SetFocusFlag(false, 0, 0);
    m_pFocus = nullptr;
}

void CArkMouseMsgProc::ChangeState(int nState) {
    if (nState < 0 || nState >= ARK_MOUSE_STATE_COUNT || nState == m_nState) return;
    int nOld = m_nState;
    m_nState = nState;
    m_apStates[nOld]->OnLeave();
    m_apStates[nState]->OnEnter();
}

void CArkMouseMsgProc::Forget(const CArkWnd* pWnd) {
    if (m_pFocus == pWnd) {
        m_pFocus = nullptr;
        // A window that goes away in the middle of a drag ends the drag.
        if (m_nState != ARK_MOUSE_NORMAL) {
            m_nState = ARK_MOUSE_NORMAL;
            m_manager.GetKeyProc().SetDragInProgress(false);
        }
    }
    if (m_pPrevFocus == pWnd) m_pPrevFocus = nullptr;
    if (m_pHit == pWnd) m_pHit = nullptr;
}

CArkWnd* CArkMouseMsgProc::WindowAt(int nX, int nY, bool bPassThrough, bool bWheel) const {
    CArkRootWnd* pRoot = m_manager.GetRoot();
    if (bPassThrough) return pRoot->HitTest(nX, nY, 0, bWheel);
    CArkWnd* pModal = m_manager.GetModalTop();
    CArkWnd* pHit = pModal ? pModal->HitTest(nX, nY, 1, bWheel) : nullptr;
    return pHit ? pHit : pRoot->HitTest(nX, nY, 1, bWheel);
}

void CArkMouseMsgProc::TakeKeyboard(CArkWnd* pPressed, uint32_t uMsg) {
    if (uMsg != WM_LBUTTONDOWN && uMsg != WM_LBUTTONDBLCLK) return;
    // A press on a disabled window changes nothing, the keyboard included.
    if (!pPressed || !pPressed->IsEnabled()) return;
    pPressed->KeyboardTargetOfPress()->Activate();
}

void CArkMouseMsgProc::Deliver(const CArkWatch<>& wnd, uint32_t uMsg, KXPlatform::WParam wParam,
                               KXPlatform::LParam lParam, int nX, int nY) {
    CArkWnd* pWnd = wnd.Get();
    if (!pWnd) return;
    if (uMsg == WM_MOUSEWHEEL) {
        // The wheel keeps the screen point it came with; the cursor only chose the window.
        pWnd->OnWheelMessage(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), GET_X_LPARAM(lParam),
                             GET_Y_LPARAM(lParam));
        return;
    }
    pWnd->OnMessage(uMsg, wParam, MAKELPARAM(nX - pWnd->GetX(), nY - pWnd->GetY()));
}

int CArkMouseMsgProc::MsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam, bool bPassThrough) {
    CArkRootWnd* pRoot = m_manager.GetRoot();
    bool bWheel = uMsg == WM_MOUSEWHEEL;
    if (!bWheel) {
        // Client pixels to GUI pixels, rounded, and kept inside the root.
        int nX = static_cast<int>(GET_X_LPARAM(lParam) / m_manager.GetScaleX() + 0.5f);
        int nY = static_cast<int>(GET_Y_LPARAM(lParam) / m_manager.GetScaleY() + 0.5f);
        m_nCursorX = std::max(0, std::min(nX, pRoot->GetWidth() - 1));
        m_nCursorY = std::max(0, std::min(nY, pRoot->GetHeight() - 1));
    }
    int nX = m_nCursorX, nY = m_nCursorY;

    CArkWnd* pModal = bPassThrough ? nullptr : m_manager.GetModalTop();
    CArkWnd* pHit = WindowAt(nX, nY, bPassThrough, bWheel);
    if (!pHit && pModal) pHit = pModal;
    m_pHit = pHit;
    if (!pHit) return 0;
    CArkWatch<> hit(pHit);
    CArkWatch<> modal(pModal);

    // Raw copies for the hooked windows.
    bool bHitServed = false;
    if (!bWheel) {
        // A copy: a hooked window may unhook itself or others.
        std::vector<CArkWatch<>> vecHooked(m_manager.GetHookedWnds().begin(), m_manager.GetHookedWnds().end());
        for (const CArkWatch<>& hooked : vecHooked) {
            CArkWnd* p = hooked.Get();
            if (!p || !p->IsVisible() || !p->IsEnabled()) continue;
            p->OnMessage(uMsg, wParam, MAKELPARAM(nX - p->GetX(), nY - p->GetY()));
            if (p == pHit) bHitServed = true;
        }
        if (!hit) return 1;
    }

    m_manager.GetKeyProc().CallObservers(uMsg, wParam, lParam);
    if (!hit) return 1;
    // An observer may have closed the modal window; the one now on top (if any) routes instead.
    if (pModal && !modal) pModal = m_manager.GetModalTop();

    if (!pModal || m_manager.IsInsideModal(pModal, pHit)) {
        m_manager.SetHoveredWnd(pHit);
        if (uMsg == WM_MOUSEMOVE) {
            m_manager.TrackTooltip(pHit, nX, nY);
            if (!hit) return 1;
        }
    }

    if (pModal) return RouteModal(pModal, uMsg, wParam, lParam, nX, nY);

    if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK) SetFocusWnd(pHit);

    if (m_nState != ARK_MOUSE_CARRY) {
        KXPlatform::LParam lLocal = MAKELPARAM(nX - pHit->GetX(), nY - pHit->GetY());
        if (m_manager.GetKeyProc().CallFilters(uMsg, wParam, lLocal)) return 1;
        if (!hit) return 1;
    }

    m_nMsgState = m_nState;
    m_apStates[m_nState]->OnMessage(uMsg, wParam, nX, nY);
    if (m_nState == ARK_MOUSE_DRAG) return 1;
    if (m_nState == ARK_MOUSE_CARRY) {
        CArkWnd* pIcon = m_manager.GetCarryIconWnd();
        if (pIcon && pIcon->IsVisible()) return 1;
    }
    TakeKeyboard(pHit, uMsg);
    if (bHitServed || !hit) return 1;
    Deliver(hit, uMsg, wParam, lParam, nX, nY);
    return 1;
}

int CArkMouseMsgProc::RouteModal(CArkWnd* pModal, uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam,
                                 int nX, int nY) {
    CArkWnd* pHit = m_pHit;
    CArkWatch<> hit(pHit);
    CArkWatch<> modal(pModal);
    if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK) SetFocusWnd(pHit);
    if (uMsg == WM_LBUTTONUP) {
        ReleaseFocus();
        ChangeState(ARK_MOUSE_NORMAL);
    }
    if (m_nState == ARK_MOUSE_DRAG || m_nState == ARK_MOUSE_CARRY) return 1;
    bool bInside = pModal->Contains(pHit);
    int nType = pHit->GetType();
    bool bTakesInput = nType == ARK_WND_RICH || nType == ARK_WND_BUTTON || nType == ARK_WND_CHECKBUTTON || nType == ARK_WND_EDIT;
    if (bInside && (!pModal->GetDirectChildrenOnly() || bTakesInput)) {
        TakeKeyboard(pHit, uMsg);
        Deliver(hit, uMsg, wParam, lParam, nX, nY);
        return 1;
    }
    TakeKeyboard(pModal, uMsg);
    if (!modal) return 1;
    // The modal window gets everything else as it came: GUI pixels of the root, the wheel's screen point.
    pModal->OnMessage(uMsg, wParam, uMsg == WM_MOUSEWHEEL ? lParam : MAKELPARAM(nX, nY));
    return 1;
}

}  // namespace ArkGui
