// CArkCheckButton: a button that keeps a checked state, as a toggle (style bit 0) or in a radio group
// (style bit 1, the group being the user-data value).
#pragma once

#include <functional>

#include "KX_GUI/ArkButton.h"

namespace ArkGui {

constexpr uint32_t ARK_CHECK_TOGGLE = 0x1;
constexpr uint32_t ARK_CHECK_RADIO = 0x2;

class CArkCheckButton : public CArkButton {
public:
    CArkCheckButton();

    const char* GetClassName() const override;
    bool IsChecked() const { return m_bChecked; }
    // Sets the state and runs the checked-changed hook; a radio button unchecks its group.
    void SetChecked(bool bChecked);
    // Called whenever the checked state is set (by a click or by SetChecked).
    virtual void OnCheckedChanged(bool bChecked);
    void SetCheckedChangedHook(std::function<void(CArkCheckButton*, bool)> fn) { m_fnChanged = std::move(fn); }

    // The checked-state layers: state keys 0, 2, 3, 4 and 5 with kind 2 in the high half.
    ArkImageLayer* GetCheckedLayer(uint32_t uState);

    int OnLButtonUp(int nKeys, int nX, int nY) override;
    int OnKeyDown(int nKey, LParam lParam) override;

protected:
    const ArkImageLayer& StateBackground() const override;

    bool m_bChecked = false;
    ArkImageLayer m_checkedBase;
    ArkImageLayer m_checkedEnabled;
    ArkImageLayer m_checkedDisabled;
    ArkImageLayer m_checkedOver;
    ArkImageLayer m_checkedDown;
    std::function<void(CArkCheckButton*, bool)> m_fnChanged;
};

}  // namespace ArkGui
