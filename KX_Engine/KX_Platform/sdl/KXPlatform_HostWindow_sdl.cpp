// The SDL host window: an SDL window whose events are translated into Win32-numbered messages.
#include <SDL.h>

#include <cstring>
#include <memory>

#include "KX_Platform/KXPlatform_Encoding.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KXPlatform_SdlKeys.h"

namespace KXPlatform {

namespace {

// The key and button state as it stood when a message was made.
struct KeySnapshot {
    uint8_t down[256] = {};
    uint8_t toggled[256] = {};
};

class CKXPlatform_SdlHostWindow : public IHostWindow {
public:
    ~CKXPlatform_SdlHostWindow() override;

    bool Create(const char* szTitle, int nClientWidth, int nClientHeight) override;
    void Show(bool bShow) override;
    void Centre() override;
    int GetClientWidth() const override { return m_nWidth; }
    int GetClientHeight() const override { return m_nHeight; }
    void GetClientOrigin(int& nScreenX, int& nScreenY) const override;
    bool PollMessage(HostMessage& msg) override;
    bool PeekMessage(uint32_t uMessage, HostMessage& msg) override;
    int16_t GetKeyState(int nVirtualKey) const override;
    void SetCursor(HostCursor eCursor) override;
    HostCursor GetCursor() const override { return m_eCursor; }
    bool GetClipboardText(std::string& strGbk) override;
    bool SetClipboardText(const std::string& strGbk) override;
    void EnableIme(bool bEnable) override;
    bool IsImeEnabled() const override { return m_bIme; }
    void SetImeCaretRect(int nX, int nY, int nWidth, int nHeight) override;
    void Flash() override;
    void SetIcon(int nWidth, int nHeight, const uint32_t* pArgb) override;
    void GetOuterSize(int& nWidth, int& nHeight) const override;
    std::string GetLastError() const override { return m_strLastError; }
    void* GetNativeWindow() const override { return m_pWindow; }

private:
    // Moves every pending SDL event into m_queue as messages.
    void Pump();
    void Translate(const SDL_Event& ev);
    void TranslateKey(const SDL_KeyboardEvent& key);
    void TranslateText(const char* szUtf8);
    void TranslateButton(const SDL_MouseButtonEvent& button);
    void Post(uint32_t uMessage, WParam wParam, LParam lParam);
    // The program sees the key state of the messages it has taken, not of the events pumped ahead.
    // Each message keeps the key state that followed the event it came from.
    using MessageQueue = std::deque<std::pair<HostMessage, std::shared_ptr<const KeySnapshot>>>;
    void Take(MessageQueue::iterator it, HostMessage& msg);
    bool IsDown(int nVirtualKey) const { return m_keyDown[nVirtualKey] != 0; }
    // MK_ flags from the tracked button and key state.
    WParam MouseKeyFlags() const;
    void ReleaseAllKeys();

    SDL_Window* m_pWindow = nullptr;
    bool m_bVideo = false;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nMouseX = 0;
    int m_nMouseY = 0;
    bool m_bIme = true;
    HostCursor m_eCursor = HostCursor::Arrow;
    SDL_Cursor* m_cursors[6] = {};
    MessageQueue m_queue;
    // The state as the events translated so far left it (TranslateKey decides with it).
    uint8_t m_keyDown[256] = {};
    uint8_t m_keyToggled[256] = {};
    std::shared_ptr<const KeySnapshot> m_pLastSnapshot;
    // The state of the messages taken so far: what GetKeyState answers.
    KeySnapshot m_taken;
    std::string m_strLastError;
};

CKXPlatform_SdlHostWindow::~CKXPlatform_SdlHostWindow() {
    for (SDL_Cursor*& pCursor : m_cursors) {
        if (pCursor) SDL_FreeCursor(pCursor);
        pCursor = nullptr;
    }
    if (m_pWindow) SDL_DestroyWindow(m_pWindow);
    if (m_bVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool CKXPlatform_SdlHostWindow::Create(const char* szTitle, int nClientWidth, int nClientHeight) {
    if (m_pWindow || nClientWidth <= 0 || nClientHeight <= 0) {
        m_strLastError = m_pWindow ? "already created" : "bad client size";
        return false;
    }
    if (!m_bVideo) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            m_strLastError = SDL_GetError();
            return false;
        }
        m_bVideo = true;
    }
    // Double clicks arrive as the system's: SDL counts clicks itself, within its own time and distance.
    std::string strTitle = GbkToUtf8(szTitle ? szTitle : "");
    m_pWindow = SDL_CreateWindow(strTitle.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, nClientWidth,
                                 nClientHeight, SDL_WINDOW_HIDDEN);
    if (!m_pWindow) {
        m_strLastError = SDL_GetError();
        return false;
    }
    m_nWidth = nClientWidth;
    m_nHeight = nClientHeight;
    if (SDL_GetModState() & KMOD_CAPS) m_keyToggled[VK_CAPITAL] = 1;
    if (SDL_GetModState() & KMOD_NUM) m_keyToggled[VK_NUMLOCK] = 1;
    std::memcpy(m_taken.toggled, m_keyToggled, sizeof(m_keyToggled));
    SDL_StartTextInput();
    return true;
}

void CKXPlatform_SdlHostWindow::Show(bool bShow) {
    if (!m_pWindow) return;
    if (bShow) SDL_ShowWindow(m_pWindow);
    else SDL_HideWindow(m_pWindow);
}

void CKXPlatform_SdlHostWindow::Centre() {
    if (m_pWindow) SDL_SetWindowPosition(m_pWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void CKXPlatform_SdlHostWindow::GetClientOrigin(int& nScreenX, int& nScreenY) const {
    nScreenX = 0;
    nScreenY = 0;
    if (m_pWindow) SDL_GetWindowPosition(m_pWindow, &nScreenX, &nScreenY);
}

void CKXPlatform_SdlHostWindow::Post(uint32_t uMessage, WParam wParam, LParam lParam) {
    if (!m_pLastSnapshot || std::memcmp(m_pLastSnapshot->down, m_keyDown, sizeof(m_keyDown)) != 0 ||
        std::memcmp(m_pLastSnapshot->toggled, m_keyToggled, sizeof(m_keyToggled)) != 0) {
        auto pSnapshot = std::make_shared<KeySnapshot>();
        std::memcpy(pSnapshot->down, m_keyDown, sizeof(m_keyDown));
        std::memcpy(pSnapshot->toggled, m_keyToggled, sizeof(m_keyToggled));
        m_pLastSnapshot = std::move(pSnapshot);
    }
    m_queue.emplace_back(HostMessage{uMessage, wParam, lParam}, m_pLastSnapshot);
}

void CKXPlatform_SdlHostWindow::Take(MessageQueue::iterator it, HostMessage& msg) {
    msg = it->first;
    m_taken = *it->second;
    m_queue.erase(it);
}

bool CKXPlatform_SdlHostWindow::PollMessage(HostMessage& msg) {
    if (m_queue.empty()) Pump();
    if (m_queue.empty()) return false;
    Take(m_queue.begin(), msg);
    return true;
}

bool CKXPlatform_SdlHostWindow::PeekMessage(uint32_t uMessage, HostMessage& msg) {
    Pump();
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->first.uMessage == uMessage) {
            Take(it, msg);
            return true;
        }
    }
    return false;
}

void CKXPlatform_SdlHostWindow::Pump() {
    if (!m_pWindow) return;
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) Translate(ev);
}

int16_t CKXPlatform_SdlHostWindow::GetKeyState(int nVirtualKey) const {
    if (nVirtualKey < 0 || nVirtualKey > 255) return 0;
    uint16_t uState = (m_taken.down[nVirtualKey] ? 0x8000u : 0u) | (m_taken.toggled[nVirtualKey] ? 1u : 0u);
    return static_cast<int16_t>(uState);
}

WParam CKXPlatform_SdlHostWindow::MouseKeyFlags() const {
    WParam w = 0;
    if (IsDown(VK_LBUTTON)) w |= MK_LBUTTON;
    if (IsDown(VK_RBUTTON)) w |= MK_RBUTTON;
    if (IsDown(VK_MBUTTON)) w |= MK_MBUTTON;
    if (IsDown(VK_SHIFT)) w |= MK_SHIFT;
    if (IsDown(VK_CONTROL)) w |= MK_CONTROL;
    return w;
}

void CKXPlatform_SdlHostWindow::ReleaseAllKeys() {
    // Keys released while another window has the focus never reach us; forget them as the system does.
    std::memset(m_keyDown, 0, sizeof(m_keyDown));
}

void CKXPlatform_SdlHostWindow::Translate(const SDL_Event& ev) {
    switch (ev.type) {
    case SDL_QUIT:
        Post(WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            Post(WM_ACTIVATEAPP, 1, 0);
        } else if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            ReleaseAllKeys();
            Post(WM_ACTIVATEAPP, 0, 0);
        } else if (ev.window.event == SDL_WINDOWEVENT_LEAVE) {
            Post(WM_MOUSELEAVE, 0, 0);
        } else if (ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
            Post(WM_PAINT, 0, 0);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(ev.key);
        break;
    case SDL_TEXTINPUT:
        TranslateText(ev.text.text);
        break;
    case SDL_MOUSEMOTION:
        m_nMouseX = ev.motion.x;
        m_nMouseY = ev.motion.y;
        Post(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        Post(WM_MOUSEMOVE, MouseKeyFlags(), MAKELPARAM(ev.motion.x, ev.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(ev.button);
        break;
    case SDL_MOUSEWHEEL: {
        int nNotches = ev.wheel.y;
        if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) nNotches = -nNotches;
        if (nNotches == 0) break;
        int nOriginX = 0, nOriginY = 0;
        GetClientOrigin(nOriginX, nOriginY);
        // Positive is away from the user, as on the system; the point is in screen pixels.
        Post(WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeyFlags()), nNotches * WHEEL_DELTA),
             MAKELPARAM(nOriginX + m_nMouseX, nOriginY + m_nMouseY));
        break;
    }
    default:
        break;
    }
}

void CKXPlatform_SdlHostWindow::TranslateButton(const SDL_MouseButtonEvent& button) {
    int nVirtualKey = 0;
    uint32_t uDown = 0, uUp = 0, uDouble = 0;
    switch (button.button) {
    case SDL_BUTTON_LEFT: nVirtualKey = VK_LBUTTON; uDown = WM_LBUTTONDOWN; uUp = WM_LBUTTONUP; uDouble = WM_LBUTTONDBLCLK; break;
    case SDL_BUTTON_RIGHT: nVirtualKey = VK_RBUTTON; uDown = WM_RBUTTONDOWN; uUp = WM_RBUTTONUP; uDouble = WM_RBUTTONDBLCLK; break;
    case SDL_BUTTON_MIDDLE: nVirtualKey = VK_MBUTTON; uDown = WM_MBUTTONDOWN; uUp = WM_MBUTTONUP; uDouble = WM_MBUTTONDBLCLK; break;
    default: return;
    }
    m_nMouseX = button.x;
    m_nMouseY = button.y;
    const LParam lPoint = MAKELPARAM(button.x, button.y);
    if (button.state == SDL_PRESSED) {
        m_keyDown[nVirtualKey] = 1;
        Post(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, static_cast<int>(uDown)));
        // The second press of a pair is the double click; a third starts a new pair, as on the system.
        bool bDouble = button.clicks >= 2 && button.clicks % 2 == 0;
        Post(bDouble ? uDouble : uDown, MouseKeyFlags(), lPoint);
    } else {
        m_keyDown[nVirtualKey] = 0;
        Post(uUp, MouseKeyFlags(), lPoint);
    }
}

void CKXPlatform_SdlHostWindow::TranslateKey(const SDL_KeyboardEvent& key) {
    SdlKeyInfo info = TranslateSdlKey(key.keysym);
    if (info.nVirtualKey == 0) return;
    const bool bDown = key.state == SDL_PRESSED;
    // Alt as it was before this event, or Alt itself: the key goes to the system-key messages.
    const bool bAltHeld = IsDown(VK_LMENU) || IsDown(VK_RMENU);
    const bool bAltKey = info.nVirtualKey == VK_MENU;
    const bool bSystem = bAltHeld || bAltKey || info.nVirtualKey == VK_F10;

    const bool bWasDown = IsDown(info.nVirtualKey);
    if (bDown && !bWasDown && info.nVirtualKey == VK_CAPITAL) m_keyToggled[VK_CAPITAL] ^= 1;
    if (bDown && !bWasDown && info.nVirtualKey == VK_NUMLOCK) m_keyToggled[VK_NUMLOCK] ^= 1;
    if (bDown && !bWasDown && info.nVirtualKey == VK_SCROLL) m_keyToggled[VK_SCROLL] ^= 1;
    if (info.nSideKey) {
        m_keyDown[info.nSideKey] = bDown ? 1 : 0;
        // The generic code stays down while either side is.
        int nOther = (info.nSideKey % 2 == 0) ? info.nSideKey + 1 : info.nSideKey - 1;
        m_keyDown[info.nVirtualKey] = (bDown || IsDown(nOther)) ? 1 : 0;
    } else {
        m_keyDown[info.nVirtualKey] = bDown ? 1 : 0;
    }

    uint32_t uLParam = 1;
    if (info.bExtended) uLParam |= KF_EXTENDED_BIT;
    if (bAltHeld || (bAltKey && bDown)) uLParam |= KF_ALTDOWN_BIT;
    if (bDown) {
        if (key.repeat || bWasDown) uLParam |= KF_REPEAT_BIT;
    } else {
        uLParam |= KF_REPEAT_BIT | KF_UP_BIT;
    }
    const LParam lParam = static_cast<LParam>(static_cast<int32_t>(uLParam));
    uint32_t uMessage = bDown ? (bSystem ? WM_SYSKEYDOWN : WM_KEYDOWN) : (bSystem ? WM_SYSKEYUP : WM_KEYUP);
    Post(uMessage, static_cast<WParam>(info.nVirtualKey), lParam);
    if (!bDown || bSystem) return;

    // The characters the system's translation adds after a key-down.
    int nChar = 0;
    const bool bCtrl = IsDown(VK_CONTROL);
    switch (info.nVirtualKey) {
    case VK_RETURN: nChar = 13; break;
    case VK_BACK: nChar = 8; break;
    case VK_TAB: nChar = 9; break;
    case VK_ESCAPE: nChar = 27; break;
    default:
        if (bCtrl && info.nVirtualKey >= 'A' && info.nVirtualKey <= 'Z') nChar = info.nVirtualKey - 'A' + 1;
        else if (!bCtrl && !m_bIme) nChar = static_cast<unsigned char>(
            AsciiFromSdlKey(key.keysym, IsDown(VK_SHIFT), m_keyToggled[VK_CAPITAL] != 0));
        break;
    }
    if (nChar) Post(WM_CHAR, static_cast<WParam>(nChar), lParam);
}

void CKXPlatform_SdlHostWindow::TranslateText(const char* szUtf8) {
    std::string strGbk = Utf8ToGbk(szUtf8);
    for (unsigned char c : strGbk) {
        if (c < 0x20 || c == 0x7F) continue;  // control characters come from the key-downs
        Post(WM_CHAR, c, 1);
    }
}

void CKXPlatform_SdlHostWindow::SetCursor(HostCursor eCursor) {
    m_eCursor = eCursor;
    if (!m_bVideo) return;
    if (eCursor == HostCursor::None) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_SystemCursor eSystem = SDL_SYSTEM_CURSOR_ARROW;
    switch (eCursor) {
    case HostCursor::IBeam: eSystem = SDL_SYSTEM_CURSOR_IBEAM; break;
    case HostCursor::Hand: eSystem = SDL_SYSTEM_CURSOR_HAND; break;
    case HostCursor::Wait: eSystem = SDL_SYSTEM_CURSOR_WAIT; break;
    case HostCursor::SizeAll: eSystem = SDL_SYSTEM_CURSOR_SIZEALL; break;
    default: break;
    }
    SDL_Cursor*& pCursor = m_cursors[static_cast<int>(eCursor)];
    if (!pCursor) pCursor = SDL_CreateSystemCursor(eSystem);
    // Drivers without cursors (offscreen) give none; the shape is still remembered.
    if (pCursor) SDL_SetCursor(pCursor);
    SDL_ShowCursor(SDL_ENABLE);
}

bool CKXPlatform_SdlHostWindow::GetClipboardText(std::string& strGbk) {
    strGbk.clear();
    if (!m_bVideo || !SDL_HasClipboardText()) return false;
    char* szUtf8 = SDL_GetClipboardText();
    if (!szUtf8) return false;
    strGbk = Utf8ToGbk(szUtf8);
    SDL_free(szUtf8);
    return !strGbk.empty();
}

bool CKXPlatform_SdlHostWindow::SetClipboardText(const std::string& strGbk) {
    if (!m_bVideo) return false;
    if (SDL_SetClipboardText(GbkToUtf8(strGbk).c_str()) != 0) {
        m_strLastError = SDL_GetError();
        return false;
    }
    return true;
}

void CKXPlatform_SdlHostWindow::EnableIme(bool bEnable) {
    m_bIme = bEnable;
    if (!m_bVideo) return;
    // Without text input SDL gives no characters at all; TranslateKey then types plain ASCII itself.
    if (bEnable) SDL_StartTextInput();
    else SDL_StopTextInput();
}

void CKXPlatform_SdlHostWindow::SetImeCaretRect(int nX, int nY, int nWidth, int nHeight) {
    if (!m_bVideo) return;
    SDL_Rect rc{nX, nY, nWidth, nHeight};
    SDL_SetTextInputRect(&rc);
}

void CKXPlatform_SdlHostWindow::Flash() {
    if (m_pWindow) SDL_FlashWindow(m_pWindow, SDL_FLASH_UNTIL_FOCUSED);
}

void CKXPlatform_SdlHostWindow::SetIcon(int nWidth, int nHeight, const uint32_t* pArgb) {
    if (!m_pWindow || !pArgb || nWidth <= 0 || nHeight <= 0) return;
    // SDL copies the pixels into the window manager's icon, so the surface only borrows them.
    SDL_Surface* pSurface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pArgb), nWidth, nHeight, 32,
                                                               nWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!pSurface) {
        m_strLastError = SDL_GetError();
        return;
    }
    SDL_SetWindowIcon(m_pWindow, pSurface);
    SDL_FreeSurface(pSurface);
}

void CKXPlatform_SdlHostWindow::GetOuterSize(int& nWidth, int& nHeight) const {
    nWidth = m_nWidth;
    nHeight = m_nHeight;
    int nTop = 0, nLeft = 0, nBottom = 0, nRight = 0;
    if (m_pWindow && SDL_GetWindowBordersSize(m_pWindow, &nTop, &nLeft, &nBottom, &nRight) == 0) {
        nWidth += nLeft + nRight;
        nHeight += nTop + nBottom;
    }
}

}  // namespace

std::unique_ptr<IHostWindow> CreateSdlHostWindow() { return std::make_unique<CKXPlatform_SdlHostWindow>(); }

}  // namespace KXPlatform
