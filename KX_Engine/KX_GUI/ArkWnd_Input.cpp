// CArkWnd: the per-window dispatcher that turns messages into typed handler calls, and the defaults.
#include <cstdio>

#include "KX_GUI/ArkWatch.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

// The disabled-input rule, stated once for every window: a disabled window (or one inside a disabled or
// hidden parent) hears nothing of the left button, the middle button, mouse moves or keys, so a disabled
// button neither presses, clicks nor reports moves, and a disabled edit box never becomes the active
// window. The left double-click and the right button still reach it (a disabled button reports 518, 517
// and 521), and so does the question which cursor to show. Classes widen the rule through
// TakesWhileDisabled (a repeating button keeps reporting moves).
bool CArkWnd::TakesWhileDisabled(uint32_t uMsg) const {
    switch (uMsg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_SETCURSOR: return true;
        default: return false;
    }
}

CArkWnd* CArkWnd::KeyboardTargetOfPress() {
    for (CArkWnd* p = this; p; p = p->m_pParent) {
        if (p->TakesKeyboard()) return p;
    }
    return this;
}

int CArkWnd::OnMessage(uint32_t uMsg, WParam wParam, LParam lParam) {
    if (!IsEnabled() && !TakesWhileDisabled(uMsg)) return 0;
    CArkWatch<> self(this);  // every handler may end in a callback that frees this window
    if ((uMsg == WM_LBUTTONDOWN || uMsg == WM_RBUTTONDOWN) && m_nType != ARK_WND_ROOT) {
        bool bTopmost = false;
        for (const CArkWnd* p = this; p; p = p->m_pParent) bTopmost = bTopmost || p->HasStyle(ARK_STYLE_TOPMOST);
        if (!bTopmost) BringToFront();
    }
    int nKeys = GET_KEYSTATE_WPARAM(wParam);
    int nX = GET_X_LPARAM(lParam);
    int nY = GET_Y_LPARAM(lParam);
    int nResult = 0;
    switch (uMsg) {
        case WM_MOUSEMOVE: nResult = OnMouseMove(nKeys, nX, nY); break;
        case WM_LBUTTONDOWN: nResult = OnLButtonDown(nKeys, nX, nY); break;
        case WM_LBUTTONUP: nResult = OnLButtonUp(nKeys, nX, nY); break;
        case WM_LBUTTONDBLCLK: nResult = OnLButtonDblClk(nKeys, nX, nY); break;
        case WM_RBUTTONDOWN: nResult = OnRButtonDown(nKeys, nX, nY); break;
        case WM_RBUTTONUP: nResult = OnRButtonUp(nKeys, nX, nY); break;
        case WM_RBUTTONDBLCLK: nResult = OnRButtonDblClk(nKeys, nX, nY); break;
        case WM_MBUTTONDOWN: nResult = OnMButtonDown(nKeys, nX, nY); break;
        case WM_MBUTTONUP: nResult = OnMButtonUp(nKeys, nX, nY); break;
        case WM_MBUTTONDBLCLK: nResult = OnMButtonDblClk(nKeys, nX, nY); break;
        case WM_MOUSEWHEEL: nResult = OnMouseWheel(nKeys, GET_WHEEL_DELTA_WPARAM(wParam), nX, nY) ? 1 : 0; break;
        case WM_IME_CHAR: nResult = OnImeChar(wParam, lParam); break;
        case WM_SETCURSOR: return OnSetCursor();
        case WM_KEYDOWN: nResult = OnKeyDown(static_cast<int>(wParam), lParam); break;
        case WM_KEYUP: nResult = OnKeyUp(static_cast<int>(wParam), lParam); break;
        case WM_CHAR: nResult = OnChar(static_cast<char>(wParam), lParam); break;
        case WM_SYSKEYDOWN:
            NotifyParent(ARK_NOTIFY_KEY, static_cast<intptr_t>(wParam), lParam);
            if (self) NotifyParent(ARK_NOTIFY_KEY_AFTER, static_cast<intptr_t>(wParam), lParam);
            break;
        case WM_SYSKEYUP: NotifyParent(ARK_NOTIFY_KEY, static_cast<intptr_t>(wParam), lParam); break;
        default: return 0;
    }
    if (self && m_pParent && m_pParent->HasStyle(ARK_STYLE_INPUT_OBSERVER)) {
        m_pParent->OnNotify(this, ARK_NOTIFY_INPUT, static_cast<intptr_t>(uMsg), static_cast<intptr_t>(wParam));
    }
    return nResult;
}

bool CArkWnd::OnWheelMessage(int nKeys, int nDelta, int nX, int nY) {
    for (CArkWnd* p = this; p;) {
        CArkWatch<> parent(p->m_pParent);
        if (p->OnMouseWheel(nKeys, nDelta, nX, nY)) return true;
        // A handler that closed the parent ends the bubbling.
        if (parent.Address() && !parent) return false;
        p = parent.Get();
    }
    return false;
}

bool CArkWnd::OnMouseWheel(int, int nDelta, int nX, int nY) {
    std::printf("%s %s [%d (%d, %d)]\n", "ArkGui::CArkWnd::OnMouseWheel", m_strName.c_str(), nDelta, nX, nY);
    return false;
}

int CArkWnd::OnChar(char, LParam) { return 0; }
int CArkWnd::OnImeChar(WParam, LParam) { return 0; }
int CArkWnd::OnKeyDown(int, LParam) { return 0; }
int CArkWnd::OnKeyUp(int, LParam) { return 0; }
int CArkWnd::OnLButtonDblClk(int, int, int) { return 0; }
int CArkWnd::OnLButtonDown(int, int, int) { return 0; }
int CArkWnd::OnLButtonUp(int, int, int) { return 0; }
int CArkWnd::OnMButtonDblClk(int, int, int) { return 0; }
int CArkWnd::OnMButtonDown(int, int, int) { return 0; }
int CArkWnd::OnMButtonUp(int, int, int) { return 0; }
int CArkWnd::OnMouseMove(int, int, int) { return 0; }
int CArkWnd::OnRButtonDblClk(int, int, int) { return 0; }
int CArkWnd::OnRButtonDown(int, int, int) { return 0; }
int CArkWnd::OnRButtonUp(int, int, int) { return 0; }
int CArkWnd::OnSetCursor() { return 0; }

}  // namespace ArkGui
