// The host window: one fixed-size top-level window whose input arrives as Win32-numbered messages.
//
// The program polls it one message at a time (the main loop takes at most one per pass). Every
// backend delivers the messages of KXPlatform_Messages.h with the Win32 wParam/lParam packing:
//  - mouse 512..522: lParam = MAKELPARAM(x, y) in client pixels (the wheel: screen pixels), wParam =
//    MK_ flags of the buttons and Shift/Ctrl after the event (the wheel: delta in the high word);
//    a second press within the double-click time arrives as the ...DBLCLK message instead of ...DOWN;
//    WM_SETCURSOR (wParam 0, lParam = MAKELPARAM(HTCLIENT, message)) comes just before every mouse move
//    and button press inside the client area, as the system sends it;
//  - keys 256/257, or 260/261 while Alt is held (and for Alt itself and F10): wParam = virtual-key
//    code, lParam = repeat count 1 | KF_ALTDOWN_BIT when Alt is held | KF_REPEAT_BIT on auto-repeat
//    | KF_REPEAT_BIT and KF_UP_BIT on key-up;
//  - characters 258: wParam one GBK byte; a double-byte character is two messages, lead byte first.
//    Enter, Backspace, Tab and Escape give 13, 8, 9 and 27 after their key-down; Ctrl+letter gives
//    1..26, as the system's translation does;
//  - WM_CLOSE when the user closes the window, WM_ACTIVATEAPP when it gains or loses the focus.
//
// Two backends: the SDL one (runs headless under SDL_VIDEODRIVER=offscreen) and a null one without any
// window, into which tests inject messages and key states.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "KX_Platform/KXPlatform_Messages.h"

namespace KXPlatform {

struct HostMessage {
    uint32_t uMessage = WM_NULL;
    WParam wParam = 0;
    LParam lParam = 0;
};

// The system cursor shapes the toolkit shows; None hides the cursor.
enum class HostCursor { Arrow, IBeam, Hand, Wait, SizeAll, None };

class IHostWindow {
public:
    virtual ~IHostWindow() = default;

    // Creates the window hidden, with a client area of the given size in pixels; the title is GBK.
    // False (and one log line) when the system refuses; a window is created at most once.
    virtual bool Create(const char* szTitle, int nClientWidth, int nClientHeight) = 0;
    virtual void Show(bool bShow) = 0;
    // Places the window in the middle of the primary display.
    virtual void Centre() = 0;
    virtual int GetClientWidth() const = 0;
    virtual int GetClientHeight() const = 0;
    // Top-left corner of the client area in screen pixels (what WM_MOUSEWHEEL's lParam is relative to).
    virtual void GetClientOrigin(int& nScreenX, int& nScreenY) const = 0;

    // Takes the oldest pending message; false when there is none (never blocks).
    virtual bool PollMessage(HostMessage& msg) = 0;
    // Takes the oldest pending message with this number, leaving the others in order, as
    // PeekMessage with a filter and removal does (the edit box fetches a trail byte this way).
    virtual bool PeekMessage(uint32_t uMessage, HostMessage& msg) = 0;

    // As GetKeyState: bit 15 (the value is negative) while the key is down, bit 0 when a toggle key
    // (Caps Lock, Num Lock, Scroll Lock) is on. Follows the messages taken so far, not the hardware;
    // VK_SHIFT/VK_CONTROL/VK_MENU answer for either side; VK_LBUTTON.. for the mouse buttons.
    virtual int16_t GetKeyState(int nVirtualKey) const = 0;

    virtual void SetCursor(HostCursor eCursor) = 0;
    virtual HostCursor GetCursor() const = 0;

    // Clipboard text in GBK. Get gives false (and leaves strGbk empty) when the clipboard holds no text.
    virtual bool GetClipboardText(std::string& strGbk) = 0;
    virtual bool SetClipboardText(const std::string& strGbk) = 0;

    // Input method on or off. With it off plain ASCII typing still arrives as WM_CHAR.
    virtual void EnableIme(bool bEnable) = 0;
    virtual bool IsImeEnabled() const = 0;
    // Where the caret is, in client pixels, so that the input method puts its candidate list beside it.
    virtual void SetImeCaretRect(int /*nX*/, int /*nY*/, int /*nWidth*/, int /*nHeight*/) {}

    // Draws the user's attention (task bar flash) until the window gets the focus.
    virtual void Flash() = 0;

    // The icon of the window and its task bar entry: width x height pixels 0xAARRGGBB, rows top to
    // bottom; the pixels are copied.
    virtual void SetIcon(int /*nWidth*/, int /*nHeight*/, const uint32_t* /*pArgb*/) {}
    // The size of the whole window with its frame and caption, once the window manager has framed it;
    // the client size until then (and where nothing frames the window).
    virtual void GetOuterSize(int& nWidth, int& nHeight) const {
        nWidth = GetClientWidth();
        nHeight = GetClientHeight();
    }

    // Why the last failing operation failed, for the caller's log line ("" when nothing failed).
    virtual std::string GetLastError() const { return std::string(); }

    // The backend's own window object for the renderer of the same backend (SDL_Window* for SDL);
    // null for the null backend. Lives as long as this object.
    virtual void* GetNativeWindow() const = 0;
};

// The SDL backend. SDL's video subsystem is initialised on Create and shut down with the object.
std::unique_ptr<IHostWindow> CreateSdlHostWindow();

// The null backend: no window and no system calls; every operation works on the object's own state.
class CKXPlatform_NullHostWindow : public IHostWindow {
public:
    bool Create(const char* szTitle, int nClientWidth, int nClientHeight) override;
    void Show(bool bShow) override { m_bShown = bShow; }
    void Centre() override {}
    int GetClientWidth() const override { return m_nWidth; }
    int GetClientHeight() const override { return m_nHeight; }
    void GetClientOrigin(int& nScreenX, int& nScreenY) const override;
    bool PollMessage(HostMessage& msg) override;
    bool PeekMessage(uint32_t uMessage, HostMessage& msg) override;
    int16_t GetKeyState(int nVirtualKey) const override;
    void SetCursor(HostCursor eCursor) override { m_eCursor = eCursor; }
    HostCursor GetCursor() const override { return m_eCursor; }
    bool GetClipboardText(std::string& strGbk) override;
    bool SetClipboardText(const std::string& strGbk) override;
    void EnableIme(bool bEnable) override { m_bIme = bEnable; }
    bool IsImeEnabled() const override { return m_bIme; }
    void SetImeCaretRect(int nX, int nY, int nWidth, int nHeight) override {
        m_nImeCaret[0] = nX;
        m_nImeCaret[1] = nY;
        m_nImeCaret[2] = nWidth;
        m_nImeCaret[3] = nHeight;
    }
    void Flash() override { ++m_nFlashCount; }
    void* GetNativeWindow() const override { return nullptr; }

    // ---- for tests ----
    // Appends a message to the queue; key messages (256/257/260/261) and button presses and releases
    // also update the key state.
    void InjectMessage(uint32_t uMessage, WParam wParam, LParam lParam);
    // Sets a key (or mouse button) down or up without queuing a message.
    void SetKeyDown(int nVirtualKey, bool bDown);
    void SetToggle(int nVirtualKey, bool bOn);
    // An absent clipboard (no text) after ClearClipboard.
    void ClearClipboard();
    void SetClientOrigin(int nScreenX, int nScreenY);
    bool IsShown() const { return m_bShown; }
    int GetFlashCount() const { return m_nFlashCount; }
    const std::string& GetTitle() const { return m_strTitle; }
    size_t GetQueuedCount() const { return m_queue.size(); }
    // The last SetImeCaretRect: x, y, width, height.
    const int* GetImeCaretRect() const { return m_nImeCaret; }

private:
    std::deque<HostMessage> m_queue;
    uint8_t m_keyDown[256] = {};
    uint8_t m_keyToggled[256] = {};
    std::string m_strTitle;
    std::string m_strClipboard;
    bool m_bHasClipboard = false;
    bool m_bCreated = false;
    bool m_bShown = false;
    bool m_bIme = true;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nOriginX = 0;
    int m_nOriginY = 0;
    int m_nFlashCount = 0;
    int m_nImeCaret[4] = {};
    HostCursor m_eCursor = HostCursor::Arrow;
};

}  // namespace KXPlatform
