// CArkWnd: identity, creation and destruction, tree links and plain accessors.
#include "KX_GUI/ArkWnd.h"

#include <cstdio>
#include <cstring>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkMouseHandlers.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkWatch.h"

namespace ArkGui {

CArkWnd::CArkWnd() = default;

CArkWnd::~CArkWnd() { CArkWnd::Destroy(); }

const char* CArkWnd::GetClassName() const { return "CArkWnd"; }

bool CArkWnd::IsClassName(const char* szName) const { return szName && std::strcmp(szName, GetClassName()) == 0; }

void CArkWnd::ReleaseDeviceObjects() {}

void CArkWnd::RestoreDeviceObjects() {}

int CArkWnd::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
                    const char* szFontName, int nFontSize, intptr_t nUserData) {
    if (!pParent || !pParent->m_pManager || m_pManager) return -1;
    m_pManager = pParent->m_pManager;
    m_pManager->RegisterWnd(this);
    m_bRegistered = true;
    m_uStyle = uStyle;
    m_strCaption = szCaption ? szCaption : "";
    m_nX = pParent->m_nX + nX;
    m_nY = pParent->m_nY + nY;
    m_nWidth = nWidth < 0 ? 0 : nWidth;
    m_nHeight = nHeight < 0 ? 0 : nHeight;
    m_nUserData = nUserData;
    m_pParent = pParent;
    pParent->LinkChildFront(this);
    m_pManager->SetFont(this, szFontName ? szFontName : "", nFontSize);
    if (m_uStyle & ARK_STYLE_MODAL) m_pManager->AddModal(this);
    if (m_nType != ARK_WND_ROOT && !(m_uStyle & ARK_STYLE_ATTACHED)) BringToFront();
    InitMouseHandlers();
    return 0;
}

int CArkWnd::Destroy() {
    CArkGUIManager* pManager = m_pManager;
    if (!pManager) return 0;
    // Everything that may still point at this window forgets it first.
    pManager->UnregisterWnd(this);
    m_bRegistered = false;
    while (CArkWnd* pChild = m_pFirstChild) {
        bool bDelete = pChild->m_bDeleteWithParent && pChild->m_nType != ARK_WND_ROOT;
        pChild->Destroy();
        if (pChild->m_pParent == this) pChild->Unlink();  // a child that never had a manager
        if (bDelete) delete pChild;
    }
    if (m_bFocus) m_bFocus = false;
    if (m_bActive) Deactivate();
    if (m_uStyle & ARK_STYLE_MODAL) pManager->RemoveModal(this);
    ReleaseMouseHandlers();
    m_pManager = nullptr;
    if (m_pParent) Unlink();
    m_layerBase.Clear();
    m_layerEnabled.Clear();
    m_layerDisabled.Clear();
    m_layerText.Clear();
    m_decoration.Clear();
    m_vecMask.clear();
    return 0;
}

int CArkWnd::OnHotKey(int, int) { return 0; }

void CArkWnd::SetStyle(uint32_t uStyle) {
    uint32_t uOld = m_uStyle;
    m_uStyle = uStyle;
    Invalidate();
    if (m_pManager) {
        if ((uStyle & ARK_STYLE_MODAL) && !(uOld & ARK_STYLE_MODAL)) m_pManager->AddModal(this);
        if (!(uStyle & ARK_STYLE_MODAL) && (uOld & ARK_STYLE_MODAL)) m_pManager->RemoveModal(this);
    }
    if (uStyle & ARK_STYLE_SHAPED) BuildShapeMask();
}

void CArkWnd::DumpPosition() const {
    std::printf("%s (%d, %d) %d x %d\n", m_strName.c_str(), m_nX, m_nY, m_nWidth, m_nHeight);
    for (const CArkWnd* p = m_pFirstChild; p; p = p->m_pNext) p->DumpPosition();
}

void CArkWnd::CreateCursorWnd() {}

void CArkWnd::InitMouseHandlers() {
    m_apHandlers[ARK_MOUSE_NORMAL] = std::make_unique<CNormalHandler>(this);
    m_apHandlers[ARK_MOUSE_DRAG] = std::make_unique<CWndDragHandler>(this);
}

void CArkWnd::ReleaseMouseHandlers() {
    for (auto& p : m_apHandlers) p.reset();
}

void CArkWnd::SetEnabled(bool bEnabled) {
    if (m_bEnabled != bEnabled) Invalidate();
    m_bEnabled = bEnabled;
}

void CArkWnd::HideQuietly() {
    m_bHideQuietly = true;
    Show(false);
    m_bHideQuietly = false;
}

void CArkWnd::Show(bool bShow) {
    if (m_bVisible != bShow) Invalidate();
    m_bVisible = bShow;
}

void CArkWnd::SetRect(const KXRenderer::KXRectI& rc, bool) {
    m_nX = rc.nLeft;
    m_nY = rc.nTop;
    m_nWidth = rc.Width() < 0 ? 0 : rc.Width();
    m_nHeight = rc.Height() < 0 ? 0 : rc.Height();
    Invalidate();
    if (m_uStyle & ARK_STYLE_SHAPED) BuildShapeMask();
}

void CArkWnd::SetPos(int nX, int nY) { SetRect({nX, nY, nX + m_nWidth, nY + m_nHeight}); }

void CArkWnd::SetDefaultRect(int nX, int nY) {
    m_nWidth = 1024;
    m_nHeight = 768;
    SetRect({nX, nY, nX + 1024, nY + 768});
}

void CArkWnd::SetText(const char* szText) {
    m_strCaption = szText ? szText : "";
    Invalidate();
}

ArkImageLayer* CArkWnd::GetLayer(uint32_t uKey) {
    if (ArkAttrKind(uKey) != 1) return nullptr;
    Invalidate();  // the layer is handed out to be changed
    switch (ArkAttrStateOf(uKey)) {
        case ARK_ATTR_BASE: return &m_layerBase;
        case ARK_ATTR_TEXT: return &m_layerText;
        case ARK_ATTR_ENABLED: return &m_layerEnabled;
        case ARK_ATTR_DISABLED: return &m_layerDisabled;
        default: return nullptr;
    }
}

void CArkWnd::SetTextColour(uint32_t uKey, uint32_t uColour) {
    if (ArkAttrKind(uKey) != 1) return;
    Invalidate();
    if (ArkAttrStateOf(uKey) == ARK_ATTR_ENABLED) m_uTextColour = uColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_DISABLED) m_uTextColourDisabled = uColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) m_uTextColourOver = uColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) m_uTextColourDown = uColour;
}

uint32_t CArkWnd::GetTextColour(uint32_t uKey) const {
    if (ArkAttrKind(uKey) != 1) return 0;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_ENABLED) return m_uTextColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_DISABLED) return m_uTextColourDisabled;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) return m_uTextColourOver;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) return m_uTextColourDown;
    return 0;
}

void CArkWnd::SetEdgeColour(uint32_t uKey, uint32_t uColour) {
    if (ArkAttrKind(uKey) != 1) return;
    Invalidate();
    if (ArkAttrStateOf(uKey) == ARK_ATTR_ENABLED) m_uEdgeColour = uColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_DISABLED) m_uEdgeColourDisabled = uColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) m_uEdgeColourOver = uColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) m_uEdgeColourDown = uColour;
}

uint32_t CArkWnd::GetEdgeColour(uint32_t uKey) const {
    if (ArkAttrKind(uKey) != 1) return 0;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_ENABLED) return m_uEdgeColour;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_DISABLED) return m_uEdgeColourDisabled;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEOVER) return m_uEdgeColourOver;
    if (ArkAttrStateOf(uKey) == ARK_ATTR_MOUSEDOWN) return m_uEdgeColourDown;
    return 0;
}

bool CArkWnd::AcceptGrab(int, int) { return true; }

bool CArkWnd::MayMoveBy(int, int) { return true; }

void CArkWnd::OnMoved(int, int) {}

void CArkWnd::OnDragMove(int, int, int, int) {}

bool CArkWnd::SetWantMouseMove(bool bWant) {
    bool bOld = m_uWantMouseMove != 0;
    m_uWantMouseMove = bWant ? 1 : 0;
    return bOld;
}

int CArkWnd::OnNotify(CArkWnd*, uint32_t, intptr_t, intptr_t) { return 0; }

void CArkWnd::OnActivate(bool) {}

void CArkWnd::OnDragStart() {}

void CArkWnd::OnDragEnd() {}

CArkWnd* CArkWnd::FindChild(const char* szName) const {
    if (!szName) return nullptr;
    for (CArkWnd* p = m_pFirstChild; p; p = p->m_pNext) {
        if (p->m_strName == szName) return p;
    }
    return nullptr;
}

bool CArkWnd::IsVisible() const {
    for (const CArkWnd* p = this; p; p = p->m_pParent) {
        if (!p->m_bVisible) return false;
    }
    return true;
}

bool CArkWnd::IsEnabled() const {
    if (!m_bEnabled || !m_bVisible) return false;
    if (m_pParent && !m_pParent->m_bVisible) return false;
    for (const CArkWnd* p = m_pParent; p; p = p->m_pParent) {
        if (!p->m_bEnabled) return false;
    }
    return true;
}

bool CArkWnd::Contains(const CArkWnd* pWnd) const {
    if (!m_pManager || !pWnd) return false;
    if (pWnd->m_pParent == this) return true;
    if (m_bDirectChildrenOnly) return false;
    for (const CArkWnd* p = pWnd->m_pParent; p; p = p->m_pParent) {
        if (p == this) return true;
    }
    return false;
}

void CArkWnd::SetMouseHandler(int nState, std::unique_ptr<IMouseEventHandler> pHandler) {
    if (nState < 0 || nState >= ARK_MOUSE_STATE_COUNT) return;
    m_apHandlers[nState] = std::move(pHandler);
}

IMouseEventHandler* CArkWnd::GetMouseHandler(int nState) const {
    if (nState < 0 || nState >= ARK_MOUSE_STATE_COUNT) return nullptr;
    return m_apHandlers[nState].get();
}

int CArkWnd::NotifyParent(uint32_t uCode, intptr_t a, intptr_t b) {
    CArkWnd* pParent = m_pParent;
    if (!pParent) return 0;
    if (uCode == ARK_NOTIFY_MOUSEMOVE && !pParent->m_uWantMouseMove) return 0;
    if (uCode == ARK_NOTIFY_CLICK && m_pManager && m_pManager->IsKeyDown(VK_SHIFT)) {
        CArkWatch<> self(this);
        pParent->OnNotify(this, ARK_NOTIFY_SHIFT_CLICK, a, b);
        // The Shift+click may have closed the window, or freed it.
        if (!self || m_pParent != pParent) return 0;
    }
    return pParent->OnNotify(this, uCode, a, b);
}

void CArkWnd::SetHitRect(float fLeft, float fTop, float fRight, float fBottom) {
    m_fHitLeft = fLeft;
    m_fHitTop = fTop;
    m_fHitRight = fRight;
    m_fHitBottom = fBottom;
    m_bHasHitRect = true;
}

void CArkWnd::SetFontState(const char* szFace, int nEntry, int nEffectiveSize, bool bMarkFileFaces) {
    m_strFontName = szFace ? szFace : "";
    m_nFontEntry = nEntry;
    m_nFontSize = nEffectiveSize;
    if (bMarkFileFaces) m_bFileFaces = true;  // the mark is never cleared
    Invalidate();
}

KXRenderer::CKXFont* CArkWnd::GetFont() const {
    return m_pManager ? m_pManager->GetFont(m_nFontEntry, m_bFileFaces) : nullptr;
}

void CArkWnd::Invalidate() {
    if (m_pManager) m_pManager->Invalidate();
}

void CArkWnd::InvalidateArea() {
    if (m_pManager) m_pManager->InvalidateRect(ClipRect());
}

void CArkWnd::LinkChildFront(CArkWnd* pChild) {
    Invalidate();
    pChild->m_pPrev = nullptr;
    pChild->m_pNext = m_pFirstChild;
    if (m_pFirstChild) m_pFirstChild->m_pPrev = pChild;
    m_pFirstChild = pChild;
    if (!m_pLastChild) m_pLastChild = pChild;
}

void CArkWnd::Unlink() {
    CArkWnd* pParent = m_pParent;
    if (!pParent) return;
    pParent->Invalidate();
    if (m_pPrev) m_pPrev->m_pNext = m_pNext; else pParent->m_pFirstChild = m_pNext;
    if (m_pNext) m_pNext->m_pPrev = m_pPrev; else pParent->m_pLastChild = m_pPrev;
    m_pPrev = m_pNext = nullptr;
    m_pParent = nullptr;
}

void CArkWnd::MoveBefore(CArkWnd* pBefore) {
    CArkWnd* pParent = m_pParent;
    if (!pParent || pBefore == this) return;
    Invalidate();
    Unlink();
    m_pParent = pParent;
    if (!pBefore) {
        m_pPrev = pParent->m_pLastChild;
        m_pNext = nullptr;
        if (m_pPrev) m_pPrev->m_pNext = this; else pParent->m_pFirstChild = this;
        pParent->m_pLastChild = this;
        return;
    }
    m_pNext = pBefore;
    m_pPrev = pBefore->m_pPrev;
    pBefore->m_pPrev = this;
    if (m_pPrev) m_pPrev->m_pNext = this; else pParent->m_pFirstChild = this;
}

void CArkWnd::MoveBy(int nDx, int nDy) {
    m_nX += nDx;
    m_nY += nDy;
    Invalidate();
}

void CArkWnd::SetFocusFlag(bool bFocus, int nCursorX, int nCursorY) {
    m_bFocus = bFocus;
    Invalidate();
    if (bFocus) RecordGrab(nCursorX, nCursorY);
}

void CArkWnd::RecordGrab(int nCursorX, int nCursorY) {
    m_nGrabX = nCursorX - m_nX;
    m_nGrabY = nCursorY - m_nY;
}

}  // namespace ArkGui
