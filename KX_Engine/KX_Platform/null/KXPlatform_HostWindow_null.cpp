// The null host window: no window and no system calls; tests inject its messages and key states.
#include "KX_Platform/KXPlatform_HostWindow.h"

namespace KXPlatform {

namespace {

bool IsToggleKey(int nVirtualKey) {
    return nVirtualKey == VK_CAPITAL || nVirtualKey == VK_NUMLOCK || nVirtualKey == VK_SCROLL;
}

}  // namespace

bool CKXPlatform_NullHostWindow::Create(const char* szTitle, int nClientWidth, int nClientHeight) {
    if (m_bCreated || nClientWidth <= 0 || nClientHeight <= 0) return false;
    m_bCreated = true;
    m_strTitle = szTitle ? szTitle : "";
    m_nWidth = nClientWidth;
    m_nHeight = nClientHeight;
    return true;
}

void CKXPlatform_NullHostWindow::GetClientOrigin(int& nScreenX, int& nScreenY) const {
    nScreenX = m_nOriginX;
    nScreenY = m_nOriginY;
}

void CKXPlatform_NullHostWindow::SetClientOrigin(int nScreenX, int nScreenY) {
    m_nOriginX = nScreenX;
    m_nOriginY = nScreenY;
}

bool CKXPlatform_NullHostWindow::PollMessage(HostMessage& msg) {
    if (m_queue.empty()) return false;
    msg = m_queue.front();
    m_queue.pop_front();
    return true;
}

bool CKXPlatform_NullHostWindow::PeekMessage(uint32_t uMessage, HostMessage& msg) {
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->uMessage == uMessage) {
            msg = *it;
            m_queue.erase(it);
            return true;
        }
    }
    return false;
}

int16_t CKXPlatform_NullHostWindow::GetKeyState(int nVirtualKey) const {
    if (nVirtualKey < 0 || nVirtualKey > 255) return 0;
    bool bDown = m_keyDown[nVirtualKey] != 0;
    // The generic modifier codes answer for either side, as the system's do.
    if (nVirtualKey == VK_SHIFT) bDown = bDown || m_keyDown[VK_LSHIFT] || m_keyDown[VK_RSHIFT];
    if (nVirtualKey == VK_CONTROL) bDown = bDown || m_keyDown[VK_LCONTROL] || m_keyDown[VK_RCONTROL];
    if (nVirtualKey == VK_MENU) bDown = bDown || m_keyDown[VK_LMENU] || m_keyDown[VK_RMENU];
    uint16_t uState = (bDown ? 0x8000u : 0u) | (m_keyToggled[nVirtualKey] ? 1u : 0u);
    return static_cast<int16_t>(uState);
}

void CKXPlatform_NullHostWindow::InjectMessage(uint32_t uMessage, WParam wParam, LParam lParam) {
    if (wParam < 256) {
        if (uMessage == WM_KEYDOWN || uMessage == WM_SYSKEYDOWN) {
            // A first press (not an auto-repeat) flips a toggle key.
            if (IsToggleKey(static_cast<int>(wParam)) && !m_keyDown[wParam]) m_keyToggled[wParam] ^= 1;
            m_keyDown[wParam] = 1;
        } else if (uMessage == WM_KEYUP || uMessage == WM_SYSKEYUP) {
            m_keyDown[wParam] = 0;
        }
    }
    // Button messages move the button's key state as the SDL backend does.
    switch (uMessage) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: m_keyDown[VK_LBUTTON] = 1; break;
    case WM_LBUTTONUP: m_keyDown[VK_LBUTTON] = 0; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: m_keyDown[VK_RBUTTON] = 1; break;
    case WM_RBUTTONUP: m_keyDown[VK_RBUTTON] = 0; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: m_keyDown[VK_MBUTTON] = 1; break;
    case WM_MBUTTONUP: m_keyDown[VK_MBUTTON] = 0; break;
    default: break;
    }
    m_queue.push_back(HostMessage{uMessage, wParam, lParam});
}

void CKXPlatform_NullHostWindow::SetKeyDown(int nVirtualKey, bool bDown) {
    if (nVirtualKey >= 0 && nVirtualKey < 256) m_keyDown[nVirtualKey] = bDown ? 1 : 0;
}

void CKXPlatform_NullHostWindow::SetToggle(int nVirtualKey, bool bOn) {
    if (nVirtualKey >= 0 && nVirtualKey < 256) m_keyToggled[nVirtualKey] = bOn ? 1 : 0;
}

bool CKXPlatform_NullHostWindow::GetClipboardText(std::string& strGbk) {
    strGbk.clear();
    if (!m_bHasClipboard) return false;
    strGbk = m_strClipboard;
    return true;
}

bool CKXPlatform_NullHostWindow::SetClipboardText(const std::string& strGbk) {
    m_strClipboard = strGbk;
    m_bHasClipboard = true;
    return true;
}

void CKXPlatform_NullHostWindow::ClearClipboard() {
    m_strClipboard.clear();
    m_bHasClipboard = false;
}

}  // namespace KXPlatform
