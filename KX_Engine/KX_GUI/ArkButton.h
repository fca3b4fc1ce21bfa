// CArkButton: a push button with press/release/click tracking, hold repeats, a cool-down and a flash.
#pragma once

#include <string>

#include "KX_GUI/ArkWatch.h"
#include "KX_GUI/ArkWnd.h"

namespace ArkGui {

class CArkButton : public CArkWnd {
public:
    CArkButton();
    ~CArkButton() override;

    const char* GetClassName() const override;
    int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
               const char* szFontName = nullptr, int nFontSize = 12, intptr_t nUserData = 0) override;
    int Destroy() override;

    // Disables the button for the given time; with bShow the caption counts down "(n)".
    void StartCoolDown(double dSeconds, bool bShow);
    bool IsCoolingDown() const { return m_uCoolDownMs != 0; }
    // Mode 0 stops; any other mode blinks a highlight over the button for nDurationMs.
    void Flash(int nMode, uint32_t uDurationMs);
    bool IsFlashing() const { return m_nFlashMode != 0; }
    void SetRepeat(bool bOn, uint32_t uIntervalMs);
    bool CanRepeat() const;
    void TouchRepeat();
    void CreateCursorWnd() override;
    // Closes the drag cursor window unless the tree has freed it already.
    void DestroyCursorWnd();

    ArkImageLayer* GetLayer(uint32_t uKey) override;
    void SetTextColour(uint32_t uKey, uint32_t uColour) override;
    uint32_t GetTextColour(uint32_t uKey) const override;
    void SetEdgeColour(uint32_t uKey, uint32_t uColour) override;
    uint32_t GetEdgeColour(uint32_t uKey) const override;

    void SetEnabled(bool bEnabled) override;
    void Update() override;
    void Render() override;
    void DrawCaption() override;

    int OnLButtonDown(int nKeys, int nX, int nY) override;
    int OnLButtonUp(int nKeys, int nX, int nY) override;
    int OnLButtonDblClk(int nKeys, int nX, int nY) override;
    int OnRButtonDown(int nKeys, int nX, int nY) override;
    int OnRButtonUp(int nKeys, int nX, int nY) override;
    int OnMouseMove(int nKeys, int nX, int nY) override;
    bool TakesWhileDisabled(uint32_t uMsg) const override;
    void OnDragMove(int nGrabX, int nGrabY, int nCursorX, int nCursorY) override;

    // Pressed: holds the mouse focus while enabled. Hovered: the cursor is over it and it is enabled.
    bool IsPressed() const;
    bool IsHovered() const;

protected:
    // True when this release ends a press that started on this button (the click rule).
    bool IsClickRelease() const;
    void GetCaptionOrigin(int nTextWidth, float& fX, float& fY) const override;
    // The background of the current state: mouse-down, mouse-over or the normal ones.
    virtual const ArkImageLayer& StateBackground() const;
    int CursorX() const;
    int CursorY() const;

    ArkImageLayer m_layerOver;
    ArkImageLayer m_layerDown;
    ArkImageLayer m_layerDrag;
    uint32_t m_uOverText = 0xFFFFFFFFu;  // 0xFFFFFFFF (-1): not set
    uint32_t m_uDownText = 0xFFFFFFFFu;
    uint32_t m_uOverEdge = 0xFFFFFFFFu;
    uint32_t m_uDownEdge = 0xFFFFFFFFu;
    uint32_t m_uCoolDownMs = 0;
    uint32_t m_uCoolDownStart = 0;
    bool m_bCoolDownShow = false;
    std::string m_strSavedCaption;
    int m_nFlashMode = 0;
    uint32_t m_uFlashStart = 0;
    uint32_t m_uFlashEnd = 0;
    bool m_bFlashLit = false;  // the highlight is on in this period (Update keeps it)
    uint32_t m_uRepeatInterval = 500;
    uint32_t m_uLastRepeat = 0;
    bool m_bRepeat = false;
    // The drag cursor window lives under the root, which may free it first when the tree closes.
    CArkWatch<> m_cursorWnd;
};

// The arrows and the thumb of a scroll bar.
class CArkScrollBarButton : public CArkButton {
public:
    const char* GetClassName() const override;
    bool OnMouseWheel(int nKeys, int nDelta, int nX, int nY) override;
    void OnDragEnd() override;
};

// The icon that follows the cursor while something is carried (type 8: never hit).
class CCursorWnd : public CArkButton {
public:
    CCursorWnd();
    const char* GetClassName() const override;
};

}  // namespace ArkGui
