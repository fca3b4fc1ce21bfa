// Mouse event handlers: what a window does while the mouse processor is in the normal, drag or carry
// state. Each window owns one handler per state. Points are absolute GUI pixels of the cursor.
#pragma once

#include <cstdint>

namespace ArkGui {

class CArkWnd;

class IMouseEventHandler {
public:
    virtual ~IMouseEventHandler() = default;
    virtual void Begin(uint32_t uMsg, int nX, int nY) = 0;
    virtual void Move(uint32_t uMsg, int nX, int nY) = 0;
    // The drop (drag and carry) or the end of a gesture.
    virtual void End(uint32_t uMsg, int nX, int nY) = 0;
};

class CMouseBaseEventHandler : public IMouseEventHandler {
public:
    explicit CMouseBaseEventHandler(CArkWnd* pWnd) : m_pWnd(pWnd) {}
    void Begin(uint32_t, int, int) override {}
    void Move(uint32_t, int, int) override {}
    void End(uint32_t, int, int) override {}
    CArkWnd* GetWnd() const { return m_pWnd; }

protected:
    CArkWnd* m_pWnd;
};

// The normal state: presses and releases of the focus window, and the start of a drag.
class CNormalHandler : public CMouseBaseEventHandler {
public:
    using CMouseBaseEventHandler::CMouseBaseEventHandler;
    virtual void OnLButtonDown(int nX, int nY);
    virtual void OnLButtonUp(int nX, int nY);
    virtual void OnThirdEvent(uint32_t uMsg, int nX, int nY);
    // Switches the mouse processor into the drag state.
    virtual void StartDrag(int nX, int nY);
};

// The drop of a drag or carry: 528 to the window under the cursor, 530 to the dragged window.
class CDragHandler : public CMouseBaseEventHandler {
public:
    using CMouseBaseEventHandler::CMouseBaseEventHandler;
    void End(uint32_t uMsg, int nX, int nY) override;
};

// Dragging a window: it follows the cursor, attached children with it.
class CWndDragHandler : public CDragHandler {
public:
    using CDragHandler::CDragHandler;
    void Begin(uint32_t uMsg, int nX, int nY) override;
    void Move(uint32_t uMsg, int nX, int nY) override;
    void End(uint32_t uMsg, int nX, int nY) override;
};

class CCarryHandler : public CDragHandler {
public:
    using CDragHandler::CDragHandler;
};

// The root's drag and carry handlers: the root itself never moves; a drop on it puts the carried
// icon away.
class CDestoryItemDragHandler : public CMouseBaseEventHandler {
public:
    using CMouseBaseEventHandler::CMouseBaseEventHandler;
    void End(uint32_t uMsg, int nX, int nY) override;
};

class CDestoryItemCarryHandler : public CDestoryItemDragHandler {
public:
    using CDestoryItemDragHandler::CDestoryItemDragHandler;
};

}  // namespace ArkGui
