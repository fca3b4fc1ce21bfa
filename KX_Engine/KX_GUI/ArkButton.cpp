// CArkButton: input tracking and timers; the drawing of its states is in ArkButton_Render.cpp.
#include "KX_GUI/ArkButton.h"

#include <cstdio>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkScrollBar.h"

namespace ArkGui {

namespace {

// Shared by every button: only one button holds the mouse at a time.
uint32_t g_uLastHold = 0;
uint32_t g_uLastRepeat514 = 0;
constexpr uint32_t kFlashPeriodMs = 250;

}  // namespace

CArkButton::CArkButton() { m_nType = ARK_WND_BUTTON; }

CArkButton::~CArkButton() { CArkButton::Destroy(); }

const char* CArkButton::GetClassName() const { return "CArkButton"; }

int CArkButton::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
                       const char* szFontName, int nFontSize, intptr_t nUserData) {
    return CArkWnd::Create(szCaption, uStyle | ARK_STYLE_ATTACHED | ARK_STYLE_CONTROL, nX, nY, nWidth, nHeight, pParent,
                           szFontName, nFontSize, nUserData);
}

int CArkButton::Destroy() {
    DestroyCursorWnd();
    m_layerOver.Clear();
    m_layerDown.Clear();
    m_layerDrag.Clear();
    return CArkWnd::Destroy();
}

void CArkButton::StartCoolDown(double dSeconds, bool bShow) {
    if (!m_bEnabled || !m_pManager) return;
    m_bEnabled = false;
    m_uCoolDownMs = static_cast<uint32_t>(dSeconds * 1000.0);
    m_uCoolDownStart = m_pManager->GetTick();
    m_bCoolDownShow = bShow;
    m_strSavedCaption = m_strCaption;
    if (m_uCoolDownMs == 0) m_bEnabled = true;
    Invalidate();
}

void CArkButton::Flash(int nMode, uint32_t uDurationMs) {
    m_nFlashMode = nMode;
    m_uFlashStart = m_pManager ? m_pManager->GetTick() : 0;
    m_uFlashEnd = m_uFlashStart + uDurationMs;
    m_bFlashLit = nMode != 0;
    Invalidate();
}

void CArkButton::SetRepeat(bool bOn, uint32_t uIntervalMs) {
    m_bRepeat = bOn;
    m_uRepeatInterval = uIntervalMs;
}

bool CArkButton::CanRepeat() const {
    return m_pManager && m_pManager->GetTick() - m_uLastRepeat >= m_uRepeatInterval;
}

void CArkButton::TouchRepeat() {
    if (!m_pManager) return;
    uint32_t uNow = m_pManager->GetTick();
    if (uNow - m_uLastRepeat > 2 * m_uRepeatInterval) m_uLastRepeat = uNow;
}

void CArkButton::CreateCursorWnd() {
    if (!m_pManager) return;
    if (CArkWnd* pOld = m_pManager->GetCarryIconWnd()) {
        m_pManager->SetCarryIconWnd(nullptr);
        pOld->Show(false);
    }
    DestroyCursorWnd();
    if (m_layerDrag.IsEmpty()) return;
    auto* pCursor = new CCursorWnd();
    // It lives under the root: a tree closed while it is up frees it with the rest.
    pCursor->SetDeleteWithParent(true);
    CArkWnd* pRoot = m_pManager->GetRoot();
    if (pCursor->Create("", ARK_STYLE_TOPMOST, m_nX, m_nY, m_nWidth, m_nHeight, pRoot) != 0) {
        delete pCursor;
        return;
    }
    *pCursor->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED)) = m_layerDrag;
    m_cursorWnd = CArkWatch<>(pCursor);
    m_pManager->SetCarryIconWnd(pCursor);
}

void CArkButton::DestroyCursorWnd() {
    CArkWnd* p = m_cursorWnd.Get();
    m_cursorWnd = CArkWatch<>();
    if (!p) return;
    p->Destroy();
    delete p;
}

ArkImageLayer* CArkButton::GetLayer(uint32_t uKey) {
    if (ArkAttrKind(uKey) == 1) {
        Invalidate();  // handed out to be changed
        if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) return &m_layerOver;
        if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) return &m_layerDown;
        if (ArkAttrStateOf(uKey) == ARK_ATTR_DRAG) return &m_layerDrag;
    }
    return CArkWnd::GetLayer(uKey);
}

void CArkButton::SetTextColour(uint32_t uKey, uint32_t uColour) {
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) m_uOverText = uColour;
    else if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) m_uDownText = uColour;
    else CArkWnd::SetTextColour(uKey, uColour);
}

uint32_t CArkButton::GetTextColour(uint32_t uKey) const {
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) return m_uOverText;
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) return m_uDownText;
    return CArkWnd::GetTextColour(uKey);
}

void CArkButton::SetEdgeColour(uint32_t uKey, uint32_t uColour) {
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) m_uOverEdge = uColour;
    else if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) m_uDownEdge = uColour;
    else CArkWnd::SetEdgeColour(uKey, uColour);
}

uint32_t CArkButton::GetEdgeColour(uint32_t uKey) const {
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) return m_uOverEdge;
    if (ArkAttrKind(uKey) == 1 && ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) return m_uDownEdge;
    return CArkWnd::GetEdgeColour(uKey);
}

void CArkButton::SetEnabled(bool bEnabled) {
    if (m_uCoolDownMs != 0) return;  // the cool-down decides until it ends
    CArkWnd::SetEnabled(bEnabled);
}

void CArkButton::Update() {
    CArkWnd::Update();
    if (!m_pManager) return;
    uint32_t uNow = m_pManager->GetTick();
    if (m_uCoolDownMs != 0) {
        uint32_t uElapsed = uNow - m_uCoolDownStart;
        if (uElapsed >= m_uCoolDownMs) {
            m_uCoolDownMs = 0;
            m_bEnabled = true;
            if (m_bCoolDownShow) m_strCaption = m_strSavedCaption;
            Invalidate();
        } else if (m_bCoolDownShow) {
            char szCount[24];
            std::snprintf(szCount, sizeof szCount, "(%u)", (m_uCoolDownMs - uElapsed) / 1000u);
            std::string strCounted = m_strSavedCaption + szCount;
            // The count changes once a second; only then is the button drawn again.
            if (strCounted != m_strCaption) {
                m_strCaption.swap(strCounted);
                InvalidateArea();
            }
        }
    }
    if (m_nFlashMode != 0 && static_cast<int32_t>(uNow - m_uFlashEnd) >= 0) {
        m_nFlashMode = 0;
        InvalidateArea();
    }
    // The flash is lit in every other period.
    const bool bLit = m_nFlashMode != 0 && ((uNow - m_uFlashStart) / kFlashPeriodMs) % 2 == 0;
    if (bLit != m_bFlashLit) {
        m_bFlashLit = bLit;
        InvalidateArea();
    }
    if (m_bFocus && !m_pManager->IsPassThrough()) {
        CArkWatch<> self(this);  // the parent may free this button while it is told
        if (uNow - g_uLastHold > 50) {
            g_uLastHold = uNow;
            NotifyParent(ARK_NOTIFY_HOLD, CursorX(), CursorY());
            if (!self) return;
        }
        if (uNow - g_uLastRepeat514 > 100) {
            g_uLastRepeat514 = uNow;
            NotifyParent(ARK_NOTIFY_REPEAT, CursorX(), CursorY());
        }
    }
}

int CArkButton::CursorX() const { return m_pManager ? m_pManager->GetMouseProc().GetCursorX() : 0; }

int CArkButton::CursorY() const { return m_pManager ? m_pManager->GetMouseProc().GetCursorY() : 0; }

bool CArkButton::IsPressed() const { return m_bFocus && IsEnabled(); }

bool CArkButton::IsHovered() const {
    if (!m_pManager || m_pManager->GetHoveredWnd() != this || !IsEnabled()) return false;
    int x = CursorX() - m_nX, y = CursorY() - m_nY;
    return x >= 0 && y >= 0 && x <= m_nWidth && y <= m_nHeight;
}

bool CArkButton::IsClickRelease() const {
    return m_pManager && m_pManager->GetMouseProc().GetPrevFocusWnd() == this &&
           m_pManager->GetMouseProc().GetFocusWnd() == nullptr;
}

// Whether the button is enabled was decided where the message entered (CArkWnd::OnMessage).
int CArkButton::OnLButtonDown(int, int, int) {
    NotifyParent(ARK_NOTIFY_PRESS, CursorX(), CursorY());
    return 1;
}

int CArkButton::OnLButtonUp(int, int, int) {
    if (IsClickRelease()) NotifyParent(ARK_NOTIFY_CLICK, CursorX(), CursorY());
    return 1;
}

int CArkButton::OnLButtonDblClk(int, int, int) {
    NotifyParent(ARK_NOTIFY_DBLCLK, CursorX(), CursorY());
    return 1;
}

int CArkButton::OnRButtonDown(int, int, int) {
    NotifyParent(ARK_NOTIFY_RPRESS, CursorX(), CursorY());
    return 1;
}

int CArkButton::OnRButtonUp(int, int, int) {
    NotifyParent(ARK_NOTIFY_RRELEASE, CursorX(), CursorY());
    return 1;
}

int CArkButton::OnMouseMove(int, int, int) {
    NotifyParent(ARK_NOTIFY_MOUSEMOVE, CursorX(), CursorY());
    return 1;
}

bool CArkButton::TakesWhileDisabled(uint32_t uMsg) const {
    return (uMsg == WM_MOUSEMOVE && m_bRepeat) || CArkWnd::TakesWhileDisabled(uMsg);
}

void CArkButton::OnDragMove(int nGrabX, int nGrabY, int nCursorX, int nCursorY) {
    NotifyParent(ARK_NOTIFY_DRAGMOVE, MAKELPARAM(nGrabX, nGrabY), MAKELPARAM(nCursorX, nCursorY));
}

const char* CArkScrollBarButton::GetClassName() const { return "CArkScrollBarButton"; }

bool CArkScrollBarButton::OnMouseWheel(int, int nDelta, int, int) {
    if (auto* pBar = dynamic_cast<CArkScrollBar*>(m_pParent)) {
        if (pBar->GetThumb() != this) {
            pBar->ScrollBy(nDelta < 0 ? 1.0 : -1.0);
            return true;
        }
        pBar->OnWheel(nDelta);
        return true;
    }
    return false;
}

void CArkScrollBarButton::OnDragEnd() {
    auto* pBar = dynamic_cast<CArkScrollBar*>(m_pParent);
    if (pBar && pBar->GetThumb() == this) pBar->OnThumbDragEnd();
}

CCursorWnd::CCursorWnd() { m_nType = ARK_WND_CURSOR; }

const char* CCursorWnd::GetClassName() const { return "CCursorWnd"; }

}  // namespace ArkGui
