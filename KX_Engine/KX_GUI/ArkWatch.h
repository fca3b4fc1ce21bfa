// CArkWatch: a watch on a window that may be freed while we call out of it.
//
// A parent's OnNotify, a hook or an activation handler may destroy the very window that called it (a
// dialog closes itself from its OK button). Before such a call, take a watch on every window still needed
// afterwards; after it, test the watch before touching the window again:
//
//     CArkWatch<> self(this);
//     NotifyParent(ARK_NOTIFY_CLICK, x, y);
//     if (!self) return 1;
//
// The watch keeps the window's manager from the moment it was taken (a freed window has none), and its
// test asks that manager's live-window set. It owns nothing; it is meant for locals on the GUI thread.
#pragma once

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

template <class T = CArkWnd>
class CArkWatch {
public:
    CArkWatch() = default;
    // pWnd must be alive (or null) now: its manager is read from it.
    explicit CArkWatch(T* pWnd) : m_pWnd(pWnd), m_pManager(pWnd ? pWnd->GetManager() : nullptr) {}
    // For a pointer kept from earlier that may already dangle: only the manager is asked.
    CArkWatch(CArkGUIManager& manager, T* pWnd) : m_pWnd(pWnd), m_pManager(&manager) {}

    // True while the window has not been destroyed since the watch was taken.
    explicit operator bool() const { return m_pManager && m_pManager->IsLive(m_pWnd); }
    // The window while it lives, else null.
    T* Get() const { return *this ? m_pWnd : nullptr; }
    T* operator->() const { return m_pWnd; }
    // The pointer as it was taken, for comparisons only: it may dangle.
    const T* Address() const { return m_pWnd; }

private:
    T* m_pWnd = nullptr;
    CArkGUIManager* m_pManager = nullptr;
};

}  // namespace ArkGui
