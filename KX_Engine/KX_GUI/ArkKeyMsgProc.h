// CArkKeyMsgProc: routes keyboard messages (256..264, 646) to the modal or the active window, and keeps
// the hooks (observers and filters) and the accelerator table.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "KX_Platform/KXPlatform_Messages.h"

namespace ArkGui {

class CArkGUIManager;
class CArkWnd;

class IArkHook {
public:
    virtual ~IArkHook() = default;
    // For filters: true consumes the message.
    virtual bool OnHookMessage(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) = 0;
};

struct ArkHookEntry {
    IArkHook* pHook = nullptr;
    std::vector<uint32_t> vecMessages;
};

struct ArkAccelerator {
    CArkWnd* pWnd = nullptr;
    KXPlatform::WParam wParam = 0;
    KXPlatform::LParam lParam = 0;  // non-zero: honoured whatever window has the focus
};

// Accelerator key codes: the virtual key plus these modifier bits.
constexpr uint32_t ARK_ACCEL_CTRL = 0x100;
constexpr uint32_t ARK_ACCEL_SHIFT = 0x200;
constexpr uint32_t ARK_ACCEL_ALT = 0x400;

class CArkKeyMsgProc {
public:
    explicit CArkKeyMsgProc(CArkGUIManager& manager) : m_manager(manager) {}

    int MsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);

    void RegisterHook(IArkHook* pHook, const std::vector<uint32_t>& vecMessages, bool bFilter, bool bAppend);
    void UnRegisterHook(IArkHook* pHook, bool bFilter);
    void AddHookMsg(IArkHook* pHook, uint32_t uMsg, bool bFilter);
    // Calls every observer that wants the message, in key order.
    void CallObservers(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    // True when a filter consumed the message.
    bool CallFilters(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    const std::map<int, ArkHookEntry>& GetHooks(bool bFilter) const { return bFilter ? m_mapFilters : m_mapObservers; }

    void AddAccelerator(uint32_t uKeyCode, CArkWnd* pWnd, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    void RemoveAccelerators(const CArkWnd* pWnd);
    // Runs an accelerator for a key message; the message becomes 273 with the entry's arguments when one
    // fires. Returns 0 when it fired, 1 when the message passes untouched.
    int ProcessAccelerators(uint32_t& uMsg, KXPlatform::WParam& wParam, KXPlatform::LParam& lParam, CArkWnd* pFocus);
    // The key code of the key in wParam with the modifiers held now.
    uint32_t MakeKeyCode(KXPlatform::WParam wParam) const;

    bool IsDragInProgress() const { return m_bDragInProgress; }
    void SetDragInProgress(bool b) { m_bDragInProgress = b; }
    bool GetEscapePasses() const { return m_bEscapePasses; }
    void SetEscapePasses(bool b) { m_bEscapePasses = b; }

private:
    std::map<int, ArkHookEntry>& Map(bool bFilter) { return bFilter ? m_mapFilters : m_mapObservers; }

    CArkGUIManager& m_manager;
    std::map<int, ArkHookEntry> m_mapObservers;
    std::map<int, ArkHookEntry> m_mapFilters;
    std::map<uint32_t, ArkAccelerator> m_mapAccelerators;
    bool m_bDragInProgress = false;
    bool m_bEscapePasses = false;
};

}  // namespace ArkGui
