// CArkCheckButton: toggles and radio groups on the button's click rule.
#include "KX_GUI/ArkCheckButton.h"

#include "KX_GUI/ArkWatch.h"

namespace ArkGui {

CArkCheckButton::CArkCheckButton() { m_nType = ARK_WND_CHECKBUTTON; }

const char* CArkCheckButton::GetClassName() const { return "CArkCheckButton"; }

void CArkCheckButton::SetChecked(bool bChecked) {
    m_bChecked = bChecked;
    Invalidate();
    if (bChecked && (m_uStyle & ARK_CHECK_RADIO) && m_nUserData >= 0 && m_pParent) {
        CArkWatch<> self(this);
        for (CArkWnd* p = m_pParent->GetFirstChild(); p;) {
            CArkWatch<> next(p->GetNextSibling());
            auto* pCheck = p != this ? dynamic_cast<CArkCheckButton*>(p) : nullptr;
            if (pCheck && pCheck->IsClassName(GetClassName()) && pCheck->GetUserData() == m_nUserData && pCheck->m_bChecked) {
                pCheck->m_bChecked = false;
                pCheck->OnCheckedChanged(false);
                // The hook may have closed windows: this one ends the walk, a closed next sibling restarts
                // it (the siblings already unchecked are passed over).
                if (!self || !m_pParent) return;
                if (next.Address() && !next) {
                    p = m_pParent->GetFirstChild();
                    continue;
                }
            }
            p = next.Get();
        }
    }
    OnCheckedChanged(bChecked);
}

void CArkCheckButton::OnCheckedChanged(bool bChecked) {
    if (m_fnChanged) m_fnChanged(this, bChecked);
}

ArkImageLayer* CArkCheckButton::GetCheckedLayer(uint32_t uState) {
    Invalidate();  // handed out to be changed
    switch (uState) {
        case ARK_ATTR_BASE: return &m_checkedBase;
        case ARK_ATTR_ENABLED: return &m_checkedEnabled;
        case ARK_ATTR_DISABLED: return &m_checkedDisabled;
        case ARK_ATTR_MOUSEOVER: return &m_checkedOver;
        case ARK_ATTR_MOUSEDOWN: return &m_checkedDown;
        default: return nullptr;
    }
}

int CArkCheckButton::OnLButtonUp(int, int, int) {
    if (!IsClickRelease()) return 1;
    CArkWatch<> self(this);
    if (m_uStyle & ARK_CHECK_TOGGLE) SetChecked(!m_bChecked);
    else if (m_uStyle & ARK_CHECK_RADIO) SetChecked(true);
    if (self) NotifyParent(ARK_NOTIFY_CLICK, CursorX(), CursorY());
    return 1;
}

int CArkCheckButton::OnKeyDown(int nKey, LParam) {
    NotifyParent(ARK_NOTIFY_CHECK_KEY, nKey, 0);
    return 1;
}

const ArkImageLayer& CArkCheckButton::StateBackground() const {
    if (!m_bChecked) return CArkButton::StateBackground();
    if (IsPressed() && !m_checkedDown.IsEmpty()) return m_checkedDown;
    if (!IsPressed() && IsHovered() && !m_checkedOver.IsEmpty()) return m_checkedOver;
    return IsEnabled() ? m_checkedEnabled : m_checkedDisabled;
}

}  // namespace ArkGui
