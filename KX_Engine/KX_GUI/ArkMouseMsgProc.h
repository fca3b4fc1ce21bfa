// CArkMouseMsgProc: routes mouse messages 512..522 through hooks, the modal window and the mouse
// state machine (normal, drag, carry) to the handlers of the window under the cursor.
#pragma once

#include <cstdint>
#include <memory>

#include "KX_GUI/ArkGui_Defs.h"
#include "KX_Platform/KXPlatform_Messages.h"

namespace ArkGui {

class CArkGUIManager;
class CArkWnd;
class CArkMouseMsgProc;
template <class T>
class CArkWatch;

class IMouseState {
public:
    virtual ~IMouseState() = default;
    virtual void OnEnter() = 0;
    virtual void OnLeave() = 0;
    virtual void OnMessage(uint32_t uMsg, KXPlatform::WParam wParam, int nX, int nY) = 0;
};

class CMouseBaseState : public IMouseState {
public:
    explicit CMouseBaseState(CArkMouseMsgProc& proc) : m_proc(proc) {}
    void OnEnter() override {}
    void OnLeave() override {}

protected:
    CArkMouseMsgProc& m_proc;
};

class CNormalState : public CMouseBaseState {
public:
    using CMouseBaseState::CMouseBaseState;
    void OnMessage(uint32_t uMsg, KXPlatform::WParam wParam, int nX, int nY) override;
};

// Drag and carry differ only in the handler slot they drive.
class CDragState : public CMouseBaseState {
public:
    CDragState(CArkMouseMsgProc& proc, int nSlot) : CMouseBaseState(proc), m_nSlot(nSlot) {}
    void OnEnter() override;
    void OnLeave() override;
    void OnMessage(uint32_t uMsg, KXPlatform::WParam wParam, int nX, int nY) override;

private:
    int m_nSlot;
};

class CCarryState : public CDragState {
public:
    explicit CCarryState(CArkMouseMsgProc& proc) : CDragState(proc, ARK_MOUSE_CARRY) {}
};

class CArkMouseMsgProc {
public:
    explicit CArkMouseMsgProc(CArkGUIManager& manager);
    ~CArkMouseMsgProc();

    // Routes one mouse message. bPassThrough: the mouse-only route (hit-test the root for hit-testable
    // 0, no modal handling). Returns 1 when something took the message, else 0.
    int MsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam, bool bPassThrough = false);

    // The window the mouse route would hand a message at the GUI point (x, y) to: the top modal window's
    // subtree first, then the whole tree; windows that take clicks (hit-testable 1), or in pass-through
    // mode those that do not. Null over nothing.
    CArkWnd* WindowAt(int nX, int nY, bool bPassThrough, bool bWheel) const;

    CArkWnd* GetFocusWnd() const { return m_pFocus; }
    CArkWnd* GetPrevFocusWnd() const { return m_pPrevFocus; }
    CArkWnd* GetHitWnd() const { return m_pHit; }
    int GetCursorX() const { return m_nCursorX; }
    int GetCursorY() const { return m_nCursorY; }
    int GetState() const { return m_nState; }
    int GetMessageState() const { return m_nMsgState; }
    int GetPressX() const { return m_nPressX; }
    int GetPressY() const { return m_nPressY; }

    void SetFocusWnd(CArkWnd* pWnd);
    void ReleaseFocus();
    void ChangeState(int nState);
    void SetPressPoint(int nX, int nY) { m_nPressX = nX; m_nPressY = nY; }
    // A destroyed window is forgotten so that no pointer to it survives.
    void Forget(const CArkWnd* pWnd);
    CArkGUIManager& GetManager() { return m_manager; }

private:
    // nX, nY: the cursor in GUI pixels; the wheel goes out with the screen point of its lParam instead.
    void Deliver(const CArkWatch<CArkWnd>& wnd, uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam, int nX, int nY);
    // A left press takes the keyboard: the pressed window (or the edit box it belongs to) becomes active,
    // so the box the user left stops taking keys and its caret stops.
    void TakeKeyboard(CArkWnd* pPressed, uint32_t uMsg);
    int RouteModal(CArkWnd* pModal, uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam, int nX, int nY);

    CArkGUIManager& m_manager;
    CArkWnd* m_pFocus = nullptr;
    CArkWnd* m_pPrevFocus = nullptr;
    int m_nCursorX = 0;
    int m_nCursorY = 0;
    CArkWnd* m_pHit = nullptr;
    std::unique_ptr<IMouseState> m_apStates[ARK_MOUSE_STATE_COUNT];
    int m_nState = ARK_MOUSE_NORMAL;
    int m_nMsgState = ARK_MOUSE_NORMAL;
    int m_nPressX = 0;
    int m_nPressY = 0;
};

}  // namespace ArkGui
