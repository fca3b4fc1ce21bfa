// CArkGUIManager: owned by the root window; holds the live-window set, the modal stack, the active
// window, the two input processors, scale factors, the font table and the renderer the tree draws with.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "KX_GUI/ArkKeyMsgProc.h"
#include "KX_GUI/ArkLayoutPackage.h"
#include "KX_GUI/ArkMouseMsgProc.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXFontTable.h"
#include "KX_Renderer/KXRenderer_Types.h"

namespace KXRenderer {
class IKXRenderer;
}

namespace ArkGui {

class CArkEdit;
class CArkRootWnd;
class CArkWnd;

// What the toolkit asks of the program around it: the input method on and off, UI sounds, and an edit
// box's text refreshed after the input method changed it.
class IGUIHandler {
public:
    virtual void EnableIme(bool bEnable) = 0;
    virtual void PlayUISound(const char* szName) = 0;
    virtual void RefreshEdit(CArkEdit* pEdit) = 0;
    virtual ~IGUIHandler() = default;
};

class CArkGUIManager {
public:
    explicit CArkGUIManager(CArkRootWnd* pRoot);
    ~CArkGUIManager();
    CArkGUIManager(const CArkGUIManager&) = delete;
    CArkGUIManager& operator=(const CArkGUIManager&) = delete;

    CArkRootWnd* GetRoot() const { return m_pRoot; }

    // ---- services from below; both may be null (no clipboard, key state or drawing then) ----
    void SetHostWindow(KXPlatform::IHostWindow* pHost) { m_pHost = pHost; }
    KXPlatform::IHostWindow* GetHostWindow() const { return m_pHost; }
    void SetRenderer(KXRenderer::IKXRenderer* pRenderer) {
        m_pRenderer = pRenderer;
        m_bDirtyAll = true;
    }
    KXRenderer::IKXRenderer* GetRenderer() const { return m_pRenderer; }
    // Milliseconds, GetTickCount by default; tests inject their own clock.
    void SetTickSource(std::function<uint32_t()> fnTick);
    uint32_t GetTick() const;
    // GetKeyState through the host window; 0 without one.
    int16_t GetKeyState(int nVirtualKey) const;
    bool IsKeyDown(int nVirtualKey) const { return GetKeyState(nVirtualKey) < 0; }
    // The program's handler for the input method and UI sounds (not owned); without one the input
    // method goes straight to the host window.
    void SetGuiHandler(IGUIHandler* pHandler) { m_pHandler = pHandler; }
    IGUIHandler* GetGuiHandler() const { return m_pHandler; }
    void EnableIme(bool bEnable);

    // ---- live windows ----
    void RegisterWnd(CArkWnd* pWnd);
    // Forgets every pointer the manager and the processors keep to the window.
    void UnregisterWnd(CArkWnd* pWnd);
    bool IsLive(const CArkWnd* pWnd) const { return pWnd && m_setLive.count(pWnd) != 0; }
    size_t GetLiveCount() const { return m_setLive.size(); }

    // ---- modal stack: the newest is the top, each links to the one below ----
    void AddModal(CArkWnd* pWnd);
    void RemoveModal(CArkWnd* pWnd);
    CArkWnd* GetModalTop() const { return m_pModalTop; }
    // True when pWnd lies inside the modal window as the modal routing understands it.
    bool IsInsideModal(const CArkWnd* pModal, const CArkWnd* pWnd) const;

    CArkWnd* GetActiveWnd() const { return m_pActive; }
    void SetActiveWnd(CArkWnd* pWnd) {
        if (m_pActive != pWnd) m_bDirtyAll = true;
        m_pActive = pWnd;
    }
    CArkWnd* GetHoveredWnd() const { return m_pHovered; }
    void SetHoveredWnd(CArkWnd* pWnd) {
        if (m_pHovered != pWnd) m_bDirtyAll = true;
        m_pHovered = pWnd;
    }
    CArkWnd* GetCursorWnd() const { return m_pCursorWnd; }

    // Where an edit box last reported its caret (GUI pixels), to place the input method's window.
    void ReportCaret(int nX, int nY) { m_nCaretX = nX; m_nCaretY = nY; m_bCaretReported = true; }
    bool GetReportedCaret(int& nX, int& nY) const { nX = m_nCaretX; nY = m_nCaretY; return m_bCaretReported; }

    // ---- client pixels to GUI pixels ----
    void SetScale(float fX, float fY) { m_fScaleX = fX; m_fScaleY = fY; }
    float GetScaleX() const { return m_fScaleX; }
    float GetScaleY() const { return m_fScaleY; }

    CArkKeyMsgProc& GetKeyProc() { return m_keyProc; }
    CArkMouseMsgProc& GetMouseProc() { return m_mouseProc; }

    // ---- windows with a special role ----
    CArkWnd* GetCarryIconWnd() const { return m_pCarryIcon; }
    void SetCarryIconWnd(CArkWnd* pWnd) { m_pCarryIcon = pWnd; }
    CArkWnd* GetTipWnd() const { return m_pTipWnd; }
    void SetTipWnd(CArkWnd* pWnd) { m_pTipWnd = pWnd; }
    CArkWnd* GetBindWnd() const { return m_pBindWnd; }
    void SetBindWnd(CArkWnd* pWnd) { m_pBindWnd = pWnd; }
    // The window the tooltip is shown for.
    CArkWnd* GetTipOwner() const { return m_pTipOwner; }
    void SetTipOwner(CArkWnd* pWnd) { m_pTipOwner = pWnd; }
    // The cursor moved onto pHovered at (nCursorX, nCursorY), GUI pixels: shows the tip window (a
    // CArkTipWnd) with the window's tooltip text beside the cursor, or hides it when the window has none.
    // A tip stays where it is while the cursor stays on the same window or moves onto the tip itself.
    void TrackTooltip(CArkWnd* pHovered, int nCursorX, int nCursorY);
    // Windows that receive every mouse message raw, before the routing.
    void AddHookedWnd(CArkWnd* pWnd);
    void RemoveHookedWnd(const CArkWnd* pWnd);
    const std::vector<CArkWnd*>& GetHookedWnds() const { return m_vecHooked; }

    // ---- hooks and accelerators ----
    void RegisterHook(IArkHook* pHook, const std::vector<uint32_t>& vecMessages, bool bFilter, bool bAppend) {
        m_keyProc.RegisterHook(pHook, vecMessages, bFilter, bAppend);
    }
    void UnRegisterHook(IArkHook* pHook, bool bFilter) { m_keyProc.UnRegisterHook(pHook, bFilter); }
    void AddHookMsg(IArkHook* pHook, uint32_t uMsg, bool bFilter) { m_keyProc.AddHookMsg(pHook, uMsg, bFilter); }

    // ---- layout templates ----
    // Reads the layout root (relative to the current directory, pack or disk) and its components;
    // false when the root cannot be read or is damaged, and no template is found then.
    bool LoadLayout(const char* szRootPath) { return m_layout.Load(szRootPath); }
    // The template of that name, parsed now when it is still empty; null when there is none.
    CArkLayoutTemplate* FindTemplate(const char* szName) { return m_layout.FindTemplate(szName); }
    CArkLayoutPackage& GetLayout() { return m_layout; }

    // ---- fonts ----
    // Opens the file faces of the font table (relative to the current directory).
    bool InitFontTable();
    KXRenderer::CKXGuiFontTable& GetFontTable() { return m_fontTable; }
    // Font selection for a window: false when the font table has not been set up.
    bool SetFont(CArkWnd* pWnd, const char* szFace, int nSize);
    KXRenderer::CKXFont* GetFont(int nEntry, bool bFileFace) const;

    // ---- input ----
    // The host window procedure's entry: mouse, keyboard and set-cursor messages.
    int MsgProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    // The mouse-only entry while the tool passes mouse input through.
    int MouseOnlyProc(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam lParam);
    bool IsPassThrough() const { return m_bPassThrough; }
    void SetPassThrough(bool b) { m_bPassThrough = b; }
    bool IsCursorOutside() const { return m_bCursorOutside; }

    // ---- frame ----
    // The tree draws only when something visible changed. Setters of what a window shows (caption,
    // images, state, place, visibility, order) and every input message mark the whole frame; an
    // animation step (a caret or text blinking, a count-down) marks only its window's area.
    void Invalidate() { m_bDirtyAll = true; }
    void InvalidateRect(const KXRenderer::KXRectI& rc);
    bool NeedsDrawing() const { return m_bDirtyAll || !m_rcDirty.IsEmpty(); }
    // Runs every visible window's Update (tree order, then the modal windows), drawn frame or not.
    void UpdateTree();
    // Draws the tree, then the modal windows oldest first. Frame begin and end are the caller's.
    void Render();
    // Once per frame: UpdateTree, then, when something changed, BeginFrame, Render and EndFrame (only
    // the changed area when the renderer keeps its last frame). True when it drew, so the caller
    // presents only then; false without a renderer.
    bool RenderFrame(uint32_t uClearArgb);
    // Group opacity: redirect into the off-screen target, and draw it back.
    bool BeginGroup();
    void EndGroup(double dOpacity);
    // Called after the whole tree has been drawn.
    void SetAfterFrameHook(std::function<void()> fn) { m_fnAfterFrame = std::move(fn); }

private:
    int OnSetCursor();
    void CollectForUpdate(CArkWnd* pWnd, std::vector<CArkWnd*>& vecOut) const;

    CArkRootWnd* m_pRoot;
    KXPlatform::IHostWindow* m_pHost = nullptr;
    IGUIHandler* m_pHandler = nullptr;
    KXRenderer::IKXRenderer* m_pRenderer = nullptr;
    std::function<uint32_t()> m_fnTick;
    std::unordered_set<const CArkWnd*> m_setLive;
    CArkWnd* m_pModalTop = nullptr;
    CArkWnd* m_pActive = nullptr;
    CArkWnd* m_pHovered = nullptr;
    CArkWnd* m_pCursorWnd = nullptr;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    KXPlatform::HostCursor m_eDefaultCursor = KXPlatform::HostCursor::Arrow;
    CArkKeyMsgProc m_keyProc;
    CArkMouseMsgProc m_mouseProc;
    CArkWnd* m_pCarryIcon = nullptr;
    CArkWnd* m_pTipWnd = nullptr;
    CArkWnd* m_pBindWnd = nullptr;
    CArkWnd* m_pTipOwner = nullptr;
    KXRenderer::CKXGuiFontTable m_fontTable;
    CArkLayoutPackage m_layout;
    std::vector<CArkWnd*> m_vecHooked;
    std::function<void()> m_fnAfterFrame;
    bool m_bDirtyAll = true;           // nothing has been drawn yet
    KXRenderer::KXRectI m_rcDirty;     // the bounding box of the areas marked since the last frame
    uint32_t m_uLastClear = 0;
    std::vector<CArkWnd*> m_vecUpdate;  // UpdateTree's list, kept for its capacity
    bool m_bPassThrough = false;
    bool m_bCursorOutside = false;
    int m_nCaretX = 0;
    int m_nCaretY = 0;
    bool m_bCaretReported = false;
};

}  // namespace ArkGui
