// CArkWnd: the base of every toolkit window, a node of the one window tree under CArkRootWnd.
//
// Positions are absolute GUI pixels (relative to the root, not to the parent). The first child of a
// window is its front-most one: hit-testing walks children from the first, drawing from the last.
// Handlers that receive button messages get x and y relative to the window's top-left corner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkGui_Defs.h"
#include "KX_GUI/ArkImageLayer.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Platform/KXPlatform_Messages.h"
#include "KX_Renderer/KXRenderer_Types.h"

namespace KXRenderer {
class CKXFont;
class IKXRenderer;
}

namespace ArkGui {

class CArkGUIManager;
class CArkLayoutTemplate;
class IMouseEventHandler;

using KXPlatform::LParam;
using KXPlatform::WParam;

class CArkWnd {
public:
    CArkWnd();
    virtual ~CArkWnd();
    CArkWnd(const CArkWnd&) = delete;
    CArkWnd& operator=(const CArkWnd&) = delete;

    // ---- identity ----
    virtual const char* GetClassName() const;
    virtual bool IsClassName(const char* szName) const;

    // ---- life ----
    virtual void ReleaseDeviceObjects();
    virtual void RestoreDeviceObjects();
    virtual int Destroy();
    // x and y are relative to the parent. 0 on success, -1 when the parent is missing or has no
    // manager, or this window was created already.
    virtual int Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight,
                       CArkWnd* pParent, const char* szFontName = nullptr, int nFontSize = 12,
                       intptr_t nUserData = 0);
    virtual int OnHotKey(int nKey, int nZState);
    // Creates the window from the manager's template of that name under pParent, then its children
    // from the template's child list. The template's position is used unless nX and nY are both
    // non-zero, its size unless nWidth and nHeight are both non-zero. -1 when the parent is missing or
    // has no manager, the template is missing, or this window does not accept the template's class.
    int CreateFromTemplate(const char* szTemplate, CArkWnd* pParent, int nX = 0, int nY = 0, int nWidth = 0,
                           int nHeight = 0);
    // The same from a template in hand (a child template, or one a tool loaded itself).
    int CreateFromTemplate(const CArkLayoutTemplate& tmpl, CArkWnd* pParent, int nX = 0, int nY = 0,
                           int nWidth = 0, int nHeight = 0);

    // ---- drawing ----
    virtual void DrawLayer(const ArkImageLayer& layer, const KXRenderer::KXRectI* pClip);
    virtual void DrawText(const char* szText, uint32_t uTextColour, uint32_t uEdgeColour);
    virtual void Render();
    virtual void DrawCaption();
    virtual void BeforeChildren();
    virtual void AfterChildren();
    // Width in pixels of the first nLen bytes of the GBK text in the window's font; 0 without a font.
    virtual int MeasureText(const char* szText, int nLen = -1) const;

    virtual void SetStyle(uint32_t uStyle);
    virtual void DumpPosition() const;
    virtual void CreateCursorWnd();
    virtual void InitMouseHandlers();
    virtual void ReleaseMouseHandlers();
    virtual void SetEnabled(bool bEnabled);
    virtual void HideQuietly();
    virtual void Show(bool bShow);
    // rc is absolute. bFlag is kept for layouts that ask for a move without side effects.
    virtual void SetRect(const KXRenderer::KXRectI& rc, bool bFlag = true);
    virtual void SetPos(int nX, int nY);
    virtual void SetDefaultRect(int nX, int nY);
    virtual void Activate();
    virtual void Deactivate();
    virtual int GetWidth() const { return m_nWidth; }
    virtual int GetHeight() const { return m_nHeight; }
    virtual const std::string& GetText() const { return m_strCaption; }
    virtual void SetText(const char* szText);

    // ---- attributes by key (kind 1, state 0 base, 1 text, 2 enabled, 3 disabled; colours also 4
    // mouse-over and 5 mouse-down, 0xFFFFFFFF until set, on every window) ----
    virtual ArkImageLayer* GetLayer(uint32_t uKey);
    virtual void SetTextColour(uint32_t uKey, uint32_t uColour);
    virtual uint32_t GetTextColour(uint32_t uKey) const;
    virtual void SetEdgeColour(uint32_t uKey, uint32_t uColour);
    virtual uint32_t GetEdgeColour(uint32_t uKey) const;

    // Once per frame for every visible window, whether the frame is drawn or not (the manager's
    // UpdateTree): time-driven state lives here, and a change that shows calls Invalidate or
    // InvalidateArea, or the frame is not drawn.
    virtual void Update();
    // Marks the frame for drawing; every setter of what a window shows calls it.
    void Invalidate();
    // Marks only this window's rectangle: an animation step that changes nothing outside it.
    void InvalidateArea();

    // ---- input ----
    virtual bool PtInWindow(int nX, int nY, bool bWheel);
    virtual bool AcceptGrab(int nX, int nY);
    // Per-window dispatcher; mouse coordinates in lParam are relative to this window. A disabled window
    // gets only the messages TakesWhileDisabled lets through.
    virtual int OnMessage(uint32_t uMsg, WParam wParam, LParam lParam);
    // The messages a disabled window still hears of (see the rule in ArkWnd_Input.cpp).
    virtual bool TakesWhileDisabled(uint32_t uMsg) const;
    // A window that takes the keyboard stays the active window when one of its parts (an edit box's
    // scroll bar) is pressed; any other pressed window becomes the active one itself.
    virtual bool TakesKeyboard() const { return false; }
    // What a left press makes active: this window, or the nearest ancestor that takes the keyboard.
    CArkWnd* KeyboardTargetOfPress();
    // x and y are the wheel message's screen point; bubbles to the parent while OnMouseWheel says false.
    virtual bool OnWheelMessage(int nKeys, int nDelta, int nX, int nY);
    virtual bool MayMoveBy(int nDx, int nDy);
    virtual void OnMoved(int nDx, int nDy);
    // For attached windows, called instead of moving them; both points are absolute GUI pixels.
    virtual void OnDragMove(int nGrabX, int nGrabY, int nCursorX, int nCursorY);
    virtual int GetScreenWidth() const { return 0; }
    virtual int GetScreenHeight() const { return 0; }
    // Lets children send 519 (mouse moved); returns the old value.
    virtual bool SetWantMouseMove(bool bWant);
    virtual int OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b);
    virtual void OnActivate(bool bActive);
    virtual int OnChar(char ch, LParam lParam);
    virtual int OnImeChar(WParam wParam, LParam lParam);
    virtual int OnKeyDown(int nKey, LParam lParam);
    virtual int OnKeyUp(int nKey, LParam lParam);
    virtual int OnLButtonDblClk(int nKeys, int nX, int nY);
    virtual int OnLButtonDown(int nKeys, int nX, int nY);
    virtual int OnLButtonUp(int nKeys, int nX, int nY);
    virtual int OnMButtonDblClk(int nKeys, int nX, int nY);
    virtual int OnMButtonDown(int nKeys, int nX, int nY);
    virtual int OnMButtonUp(int nKeys, int nX, int nY);
    virtual int OnMouseMove(int nKeys, int nX, int nY);
    virtual bool OnMouseWheel(int nKeys, int nDelta, int nX, int nY);
    virtual int OnRButtonDblClk(int nKeys, int nX, int nY);
    virtual int OnRButtonDown(int nKeys, int nX, int nY);
    virtual int OnRButtonUp(int nKeys, int nX, int nY);
    virtual int OnSetCursor();
    // True (transparent) when there is no mask or the window-relative point lies outside it.
    virtual bool HitTestMask(int nX, int nY) const;
    virtual void OnDragStart();
    virtual void OnDragEnd();

    // ---- tree ----
    CArkWnd* FindChild(const char* szName) const;
    CArkWnd* GetParent() const { return m_pParent; }
    CArkWnd* GetFirstChild() const { return m_pFirstChild; }
    CArkWnd* GetLastChild() const { return m_pLastChild; }
    CArkWnd* GetNextSibling() const { return m_pNext; }
    CArkWnd* GetPrevSibling() const { return m_pPrev; }
    bool IsVisible() const;
    bool IsEnabled() const;
    bool Contains(const CArkWnd* pWnd) const;
    void BringToFront();
    void SetMouseHandler(int nState, std::unique_ptr<IMouseEventHandler> pHandler);
    IMouseEventHandler* GetMouseHandler(int nState) const;
    int NotifyParent(uint32_t uCode, intptr_t a, intptr_t b);
    // Hit-test of this subtree: the front-most window under the point whose hit-testable byte matches.
    CArkWnd* HitTest(int nX, int nY, uint8_t uHitTestable, bool bWheel);
    // Shifts the window alone, without SetRect's side effects (dragging moves children itself).
    void MoveBy(int nDx, int nDy);
    // Rebuilds the shape mask from the enabled background (a no-op unless the window is shaped).
    void BuildShapeMask();

    // ---- fields ----
    CArkGUIManager* GetManager() const { return m_pManager; }
    uint32_t GetStyle() const { return m_uStyle; }
    bool HasStyle(uint32_t uBits) const { return (m_uStyle & uBits) != 0; }
    int GetType() const { return m_nType; }
    int GetX() const { return m_nX; }
    int GetY() const { return m_nY; }
    KXRenderer::KXRectI GetRect() const { return {m_nX, m_nY, m_nX + m_nWidth, m_nY + m_nHeight}; }
    const std::string& GetName() const { return m_strName; }
    void SetName(const char* szName) { m_strName = szName ? szName : ""; }
    intptr_t GetUserData() const { return m_nUserData; }
    int GetLayerOrder() const { return m_nLayer; }
    void SetLayerOrder(int nLayer) { m_nLayer = nLayer; }
    bool GetVisibleFlag() const { return m_bVisible; }
    bool GetEnabledFlag() const { return m_bEnabled; }
    bool HasFocus() const { return m_bFocus; }
    bool IsActive() const { return m_bActive; }
    double GetGroupOpacity() const { return m_dGroupOpacity; }
    void SetGroupOpacity(double dOpacity) {
        m_dGroupOpacity = dOpacity;
        Invalidate();
    }
    void SetHitRect(float fLeft, float fTop, float fRight, float fBottom);
    void ClearHitRect() { m_bHasHitRect = false; }
    uint8_t GetHitTestable() const { return m_uHitTestable; }
    void SetHitTestable(uint8_t u) { m_uHitTestable = u; }
    bool GetDirectChildrenOnly() const { return m_bDirectChildrenOnly; }
    void SetDirectChildrenOnly(bool b) { m_bDirectChildrenOnly = b; }
    bool GetExcludeFromDrawing() const { return m_uExcludeFromDrawing != 0; }
    void SetExcludeFromDrawing(bool b) {
        m_uExcludeFromDrawing = b ? 1 : 0;
        Invalidate();
    }
    bool GetWantMouseMove() const { return m_uWantMouseMove != 0; }
    bool GetDeleteWithParent() const { return m_bDeleteWithParent; }
    // The parent's Destroy deletes this window as well (windows made with new and handed to the tree).
    void SetDeleteWithParent(bool b) { m_bDeleteWithParent = b; }
    bool GetTakesKeysDirectly() const { return m_bTakesKeysDirectly; }
    void SetTakesKeysDirectly(bool b) { m_bTakesKeysDirectly = b; }
    int GetGrabX() const { return m_nGrabX; }
    int GetGrabY() const { return m_nGrabY; }
    // The cursor shown over the window; without one the manager's default arrow.
    bool HasCursorShape() const { return m_bHasCursor; }
    KXPlatform::HostCursor GetCursorShape() const { return m_eCursor; }
    void SetCursorShape(KXPlatform::HostCursor e) { m_eCursor = e; m_bHasCursor = true; }
    CArkWnd* GetNextModal() const { return m_pNextModal; }
    const std::vector<uint8_t>& GetShapeMask() const { return m_vecMask; }

    // ---- values a template gives ----
    // The two float values (index 0 and 1); other indexes read 0.
    float GetFloatValue(int nIndex) const { return nIndex == 0 ? m_fValue1 : nIndex == 1 ? m_fValue2 : 0.0f; }
    void SetFloatValue(int nIndex, float f) {
        if (nIndex == 0) m_fValue1 = f;
        if (nIndex == 1) m_fValue2 = f;
    }
    const std::string& GetTipText() const { return m_strTip; }
    void SetTipText(const char* szTip) { m_strTip = szTip ? szTip : ""; }
    // Shown in the bind window beside the tooltip.
    const std::string& GetBindText() const { return m_strBindText; }
    void SetBindText(const char* szText) { m_strBindText = szText ? szText : ""; }
    // The template the window was created from; null for windows made by code.
    const CArkLayoutTemplate* GetTemplate() const { return m_pTemplate; }

    // ---- caption look ----
    // Edge modes: 0 outline in the edge colour (when it has alpha), 1 shadow one pixel right and down
    // in the edge colour, 2 no edge.
    int GetEdgeMode() const { return m_nEdgeMode; }
    void SetEdgeMode(int nMode) {
        m_nEdgeMode = nMode;
        Invalidate();
    }
    // A disabled window with this flag still draws its caption in the enabled colours.
    bool GetForceShowText() const { return m_bForceShowText; }
    void SetForceShowText(bool b) {
        m_bForceShowText = b;
        Invalidate();
    }

    // ---- fonts ----
    const std::string& GetFontName() const { return m_strFontName; }
    int GetFontSize() const { return m_nFontSize; }
    int GetFontEntry() const { return m_nFontEntry; }
    bool UsesFileFaces() const { return m_bFileFaces; }
    // Stores what SetFont chose.
    void SetFontState(const char* szFace, int nEntry, int nEffectiveSize, bool bMarkFileFaces);
    KXRenderer::CKXFont* GetFont() const;

    // Decoration pieces that a CDecorateWnd child hands to this window; Render draws them instead of
    // the background layers.
    ArkImageLayer& GetDecoration() {
        Invalidate();  // handed out to be changed
        return m_decoration;
    }

protected:
    friend class CArkGUIManager;
    friend class CArkMouseMsgProc;
    friend class CWndDragHandler;

    // Links pWnd as the first child; the caller has set its parent.
    void LinkChildFront(CArkWnd* pChild);
    void Unlink();
    // Inserts this window before pBefore (null: at the end) among its parent's children.
    void MoveBefore(CArkWnd* pBefore);
    void SetFocusFlag(bool bFocus, int nCursorX, int nCursorY);
    void RecordGrab(int nCursorX, int nCursorY);
    void SetActiveFlag(bool b) {
        m_bActive = b;
        Invalidate();
    }
    void SetNextModal(CArkWnd* p) { m_pNextModal = p; }
    // Picks the enabled or disabled background.
    const ArkImageLayer& CurrentBackground() const;
    // The window rectangle cut to the parent's when the window clips to its parent.
    KXRenderer::KXRectI ClipRect() const;
    // Adds the quads of the template's image entries to the window's layers.
    void ApplyTemplateEntries(const CArkLayoutTemplate& tmpl);
    // Draws the window, its caption and its children (not modal ones) depth first.
    void RenderTree();
    // Where the caption starts, relative to the corner: centred vertically, left-aligned by default.
    virtual void GetCaptionOrigin(int nTextWidth, float& fX, float& fY) const;

    CArkGUIManager* m_pManager = nullptr;
    uint32_t m_uStyle = 0;
    bool m_bDirectChildrenOnly = true;
    uint8_t m_uExcludeFromDrawing = 0;
    CArkWnd* m_pNextModal = nullptr;
    int m_nLayer = 0;
    std::string m_strCaption;
    std::string m_strName;
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
    intptr_t m_nUserData = 0;
    int m_nType = ARK_WND_PLAIN;
    ArkImageLayer m_layerBase;
    ArkImageLayer m_layerEnabled;
    ArkImageLayer m_layerDisabled;
    ArkImageLayer m_layerText;
    ArkImageLayer m_decoration;
    double m_dGroupOpacity = 0.0;
    bool m_bEnabled = true;
    bool m_bVisible = true;
    bool m_bFocus = false;
    bool m_bActive = false;
    int m_nGrabX = 0;
    int m_nGrabY = 0;
    uint32_t m_uTextColour = 0xFFFFFFFFu;
    uint32_t m_uTextColourDisabled = 0xFF808080u;
    uint32_t m_uEdgeColour = 0;
    uint32_t m_uEdgeColourDisabled = 0;
    uint32_t m_uTextColourOver = 0xFFFFFFFFu;  // 0xFFFFFFFF: not set, the enabled colour is used
    uint32_t m_uTextColourDown = 0xFFFFFFFFu;
    uint32_t m_uEdgeColourOver = 0xFFFFFFFFu;
    uint32_t m_uEdgeColourDown = 0xFFFFFFFFu;
    bool m_bHasHitRect = false;
    float m_fHitLeft = 0, m_fHitTop = 0, m_fHitRight = 0, m_fHitBottom = 0;
    std::vector<uint8_t> m_vecMask;  // rows of (width / 8 + 1) bytes; a set bit is transparent
    CArkWnd* m_pParent = nullptr;
    CArkWnd* m_pFirstChild = nullptr;
    CArkWnd* m_pLastChild = nullptr;
    CArkWnd* m_pPrev = nullptr;
    CArkWnd* m_pNext = nullptr;
    std::unique_ptr<IMouseEventHandler> m_apHandlers[ARK_MOUSE_STATE_COUNT];
    KXPlatform::HostCursor m_eCursor = KXPlatform::HostCursor::Arrow;
    bool m_bHasCursor = false;
    uint8_t m_uHitTestable = 1;
    uint8_t m_uWantMouseMove = 0;
    bool m_bRegistered = false;
    bool m_bDeleteWithParent = false;
    bool m_bTakesKeysDirectly = false;
    bool m_bHideQuietly = false;
    std::string m_strFontName;
    int m_nFontSize = 12;
    int m_nFontEntry = 1;
    bool m_bFileFaces = false;
    float m_fValue1 = 0.0f;
    float m_fValue2 = 0.0f;
    std::string m_strTip;
    std::string m_strBindText;
    const CArkLayoutTemplate* m_pTemplate = nullptr;
    int m_nEdgeMode = 0;
    bool m_bForceShowText = false;
};

}  // namespace ArkGui
