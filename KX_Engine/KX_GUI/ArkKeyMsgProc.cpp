// CArkKeyMsgProc: keyboard routing, hooks and accelerators.
#include "KX_GUI/ArkKeyMsgProc.h"

#include <algorithm>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace ArkGui {

void CArkKeyMsgProc::RegisterHook(IArkHook* pHook, const std::vector<uint32_t>& vecMessages, bool bFilter, bool bAppend) {
    if (!pHook) {
        ArkLog(WL_ERROR, M_UI, "%s null hook", "CArkGUIManager::RegisterHook");
        return;
    }
    std::map<int, ArkHookEntry>& map = Map(bFilter);
    int nKey = 0;
    if (!map.empty()) nKey = bAppend ? map.rbegin()->first + 1 : map.begin()->first - 1;
    map[nKey] = ArkHookEntry{pHook, vecMessages};
}

void CArkKeyMsgProc::UnRegisterHook(IArkHook* pHook, bool bFilter) {
    if (!pHook) {
        ArkLog(WL_ERROR, M_UI, "%s null hook", "CArkGUIManager::UnRegisterHook");
        return;
    }
    std::map<int, ArkHookEntry>& map = Map(bFilter);
    for (auto it = map.begin(); it != map.end();) {
        it = it->second.pHook == pHook ? map.erase(it) : std::next(it);
    }
}

void CArkKeyMsgProc::AddHookMsg(IArkHook* pHook, uint32_t uMsg, bool bFilter) {
    if (!pHook) {
        ArkLog(WL_ERROR, M_UI, "%s null hook", "CArkGUIManager::AddHookMsg");
        return;
    }
    bool bFound = false;
    for (auto& kv : Map(bFilter)) {
        if (kv.second.pHook != pHook) continue;
        kv.second.vecMessages.push_back(uMsg);
        bFound = true;
    }
    if (!bFound) ArkLog(WL_ERROR, M_UI, "IArkHook 没有被注册：msg = 【%d】", static_cast<int>(uMsg));
}

namespace {

bool Wants(const ArkHookEntry& e, uint32_t uMsg) {
    return std::find(e.vecMessages.begin(), e.vecMessages.end(), uMsg) != e.vecMessages.end();
}

}  // namespace

void CArkKeyMsgProc::CallObservers(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    // A copy, so that a hook may unregister itself while it runs.
    std::map<int, ArkHookEntry> mapCopy = m_mapObservers;
    for (const auto& kv : mapCopy) {
        if (Wants(kv.second, uMsg)) kv.second.pHook->OnHookMessage(uMsg, wParam, lParam);
    }
}

bool CArkKeyMsgProc::CallFilters(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    std::map<int, ArkHookEntry> mapCopy = m_mapFilters;
    for (const auto& kv : mapCopy) {
        if (Wants(kv.second, uMsg) && kv.second.pHook->OnHookMessage(uMsg, wParam, lParam)) return true;
    }
    return false;
}

void CArkKeyMsgProc::AddAccelerator(uint32_t uKeyCode, CArkWnd* pWnd, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    m_mapAccelerators[uKeyCode & 0xFFFFu] = ArkAccelerator{pWnd, wParam, lParam};
}

void CArkKeyMsgProc::RemoveAccelerators(const CArkWnd* pWnd) {
    for (auto it = m_mapAccelerators.begin(); it != m_mapAccelerators.end();) {
        it = it->second.pWnd == pWnd ? m_mapAccelerators.erase(it) : std::next(it);
    }
}

uint32_t CArkKeyMsgProc::MakeKeyCode(KXPlatform::WParam wParam) const {
    uint32_t uCode = static_cast<uint32_t>(wParam) & 0xFFu;
    if (m_manager.IsKeyDown(VK_CONTROL)) uCode |= ARK_ACCEL_CTRL;
    if (m_manager.IsKeyDown(VK_SHIFT)) uCode |= ARK_ACCEL_SHIFT;
    if (m_manager.IsKeyDown(VK_MENU)) uCode |= ARK_ACCEL_ALT;
    return uCode;
}

int CArkKeyMsgProc::ProcessAccelerators(uint32_t& uMsg, KXPlatform::WParam& wParam, KXPlatform::LParam& lParam,
                                        CArkWnd* pFocus) {
    bool bDown = (uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN) && !(static_cast<uint32_t>(lParam) & KF_REPEAT_BIT);
    bool bUp = uMsg == WM_KEYUP && (wParam == VK_SNAPSHOT || wParam == 'Z');
    if (!bDown && !bUp) return 1;
    auto it = m_mapAccelerators.find(MakeKeyCode(wParam));
    if (it == m_mapAccelerators.end()) return 1;
    ArkAccelerator accel = it->second;
    if (!CArkWatch<>(m_manager, accel.pWnd)) return 1;
    if (accel.lParam == 0) {
        // A local entry counts only inside the focus window.
        bool bInside = false;
        for (CArkWnd* p = accel.pWnd; p; p = p->GetParent()) bInside = bInside || p == pFocus;
        if (!bInside) return 1;
    }
    int nZState = 0;
    if (wParam == 'Z') nZState = bUp ? 2 : 1;
    uMsg = WM_COMMAND;
    wParam = accel.wParam;
    lParam = accel.lParam;
    accel.pWnd->OnHotKey(static_cast<int>(accel.wParam), nZState);
    return 0;
}

int CArkKeyMsgProc::MsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam) {
    CallObservers(uMsg, wParam, lParam);
    if (uMsg == WM_KEYDOWN && wParam == static_cast<KXPlatform::WParam>(VK_ESCAPE) && !m_bEscapePasses) return 0;

    CArkWnd* pModal = m_manager.GetModalTop();
    if (pModal) {
        if (pModal->GetTakesKeysDirectly()) return pModal->OnMessage(uMsg, wParam, lParam);
        CArkWatch<> modal(pModal);  // the hot key may close it
        ProcessAccelerators(uMsg, wParam, lParam, pModal);
        if (!modal || m_manager.GetModalTop() != pModal) return 1;
        return pModal->OnMessage(uMsg, wParam, lParam);
    }

    ProcessAccelerators(uMsg, wParam, lParam, m_manager.GetRoot());
    CArkWnd* pActive = m_manager.GetActiveWnd();
    bool bPlainKey = uMsg == WM_KEYDOWN && !m_manager.IsKeyDown(VK_CONTROL) && !m_manager.IsKeyDown(VK_SHIFT) &&
                     !m_manager.IsKeyDown(VK_MENU);
    int nKey = static_cast<int>(wParam);
    if (m_bDragInProgress) {
        // While something is dragged, plain keys are hot keys unless the user is typing.
        bool bTyping = pActive && (pActive->GetType() == ARK_WND_EDIT || pActive->GetType() == ARK_WND_TYPE20);
        bool bExempt = nKey == VK_TAB || (nKey >= VK_F1 && nKey <= VK_F12);
        if (bPlainKey && !bExempt && !bTyping) m_manager.GetRoot()->OnHotKey(nKey, 0);
    } else if (m_manager.GetMouseProc().GetState() != ARK_MOUSE_NORMAL && m_manager.IsCursorOutside()) {
        CArkMouseMsgProc& mouse = m_manager.GetMouseProc();
        mouse.MsgProc(WM_LBUTTONUP, 0, MAKELPARAM(mouse.GetCursorX(), mouse.GetCursorY()));
    }
    pActive = m_manager.GetActiveWnd();
    if (!pActive) return 0;
    CArkWatch<> active(pActive);  // a filter may close it
    if (CallFilters(uMsg, wParam, lParam)) return 1;
    if (!active || !pActive->IsEnabled()) return 0;
    return pActive->OnMessage(uMsg, wParam, lParam);
}

}  // namespace ArkGui
