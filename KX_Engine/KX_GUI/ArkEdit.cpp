// CArkEdit: the text model (caret, selection, GBK character boundaries, lines), activation and drawing.
#include "KX_GUI/ArkEdit.h"

#include <algorithm>
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkMouseHandlers.h"
#include "KX_GUI/ArkWatch.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

namespace {

constexpr uint32_t kSelectionColour = 0x803070C0u;
constexpr uint32_t kCaretColour = 0xFFFFFFFFu;
constexpr uint32_t kBlinkMs = 500;
constexpr int kPadding = 3;
constexpr int kScrollWidth = 12;

}  // namespace

CArkEdit::CArkEdit() { m_nType = ARK_WND_EDIT; }

CArkEdit::~CArkEdit() { CArkEdit::Destroy(); }

const char* CArkEdit::GetClassName() const { return "CArkEdit"; }

int CArkEdit::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight, CArkWnd* pParent,
                     const char* szFontName, int nFontSize, intptr_t nUserData) {
    if (CArkWnd::Create("", uStyle, nX, nY, nWidth, nHeight, pParent, szFontName, nFontSize, nUserData) != 0) return -1;
    SetText(szCaption);
    SetCursorShape(KXPlatform::HostCursor::IBeam);
    if (uStyle & ARK_EDIT_MULTILINE) {
        m_pVScroll = std::make_unique<CArkScrollBar>();
        m_pVScroll->Create("", 0, nWidth - kScrollWidth, 0, kScrollWidth, nHeight, this);
        m_pVScroll->SetName("vscroll");
    }
    return 0;
}

int CArkEdit::Destroy() {
    if (m_pVScroll) m_pVScroll->Destroy();
    return CArkWnd::Destroy();
}

void CArkEdit::SetText(const char* szText) {
    m_strText = szText ? szText : "";
    CollapseTo(static_cast<int>(m_strText.size()));
}

void CArkEdit::SetCaret(int nIndex) { CollapseTo(nIndex); }

int CArkEdit::PrevCharStart(int nIndex) const {
    // Trail bytes may look like ASCII, so boundaries are found walking from the start.
    int nLast = 0;
    for (int i = 0; i < nIndex && i < static_cast<int>(m_strText.size());) {
        nLast = i;
        i += (IsGbkLeadByte(static_cast<uint8_t>(m_strText[i])) && i + 1 < static_cast<int>(m_strText.size())) ? 2 : 1;
    }
    return nLast;
}

int CArkEdit::NextCharEnd(int nIndex) const {
    int n = static_cast<int>(m_strText.size());
    if (nIndex >= n) return n;
    return std::min(n, nIndex + (IsGbkLeadByte(static_cast<uint8_t>(m_strText[nIndex])) ? 2 : 1));
}

void CArkEdit::CollapseTo(int nIndex) {
    int n = static_cast<int>(m_strText.size());
    nIndex = std::max(0, std::min(nIndex, n));
    // Snap onto a character boundary.
    if (nIndex > 0 && nIndex < n && NextCharEnd(PrevCharStart(nIndex)) > nIndex) nIndex = PrevCharStart(nIndex);
    m_nCaret = m_nSelAnchor = m_nSelEnd = nIndex;
    ScrollToCaret();
}

void CArkEdit::MoveCaret(int nIndex, bool bExtend) {
    if (!bExtend) {
        CollapseTo(nIndex);
        return;
    }
    m_nCaret = m_nSelEnd = std::max(0, std::min(nIndex, static_cast<int>(m_strText.size())));
    ScrollToCaret();
}

void CArkEdit::DeleteSelection() {
    if (!HasSelection()) return;
    int nFrom = std::min(m_nSelAnchor, m_nSelEnd), nTo = std::max(m_nSelAnchor, m_nSelEnd);
    m_strText.erase(static_cast<size_t>(nFrom), static_cast<size_t>(nTo - nFrom));
    CollapseTo(nFrom);
}

bool CArkEdit::InsertBytes(const std::string& strBytes, bool bCheckLimit) {
    if (bCheckLimit && m_nMaxLength >= 0 && static_cast<int>(m_strText.size() + strBytes.size()) > m_nMaxLength) return false;
    std::string strOld = m_strText;
    m_strText.insert(static_cast<size_t>(m_nCaret), strBytes);
    if (m_bFitToWidth && WidestLine() > m_nWidth) {
        m_strText = strOld;
        return false;
    }
    CollapseTo(m_nCaret + static_cast<int>(strBytes.size()));
    return true;
}

int CArkEdit::LineStart(int nIndex) const {
    size_t u = m_strText.rfind('\n', nIndex > 0 ? static_cast<size_t>(nIndex - 1) : std::string::npos);
    if (nIndex == 0) return 0;
    return u == std::string::npos ? 0 : static_cast<int>(u) + 1;
}

int CArkEdit::LineEnd(int nIndex) const {
    size_t u = m_strText.find('\n', static_cast<size_t>(nIndex));
    return u == std::string::npos ? static_cast<int>(m_strText.size()) : static_cast<int>(u);
}

int CArkEdit::LineOf(int nIndex) const {
    return static_cast<int>(std::count(m_strText.begin(), m_strText.begin() + nIndex, '\n'));
}

int CArkEdit::LineCount() const { return static_cast<int>(std::count(m_strText.begin(), m_strText.end(), '\n')) + 1; }

void CArkEdit::MoveVertical(int nDir, bool bExtend) {
    int nStart = LineStart(m_nCaret);
    int nColumn = m_nCaret - nStart;
    int nTarget;
    if (nDir < 0) {
        if (nStart == 0) return;
        int nPrevStart = LineStart(nStart - 1);
        nTarget = std::min(nPrevStart + nColumn, nStart - 1);
    } else {
        int nEnd = LineEnd(m_nCaret);
        if (nEnd >= static_cast<int>(m_strText.size())) return;
        nTarget = std::min(nEnd + 1 + nColumn, LineEnd(nEnd + 1));
    }
    // Never land inside a double-byte character.
    if (nTarget > 0 && NextCharEnd(PrevCharStart(nTarget)) > nTarget) nTarget = PrevCharStart(nTarget);
    MoveCaret(nTarget, bExtend);
}

int CArkEdit::WidestLine() const {
    int nWidest = 0;
    for (size_t uStart = 0;;) {
        size_t uEnd = m_strText.find('\n', uStart);
        size_t uLen = (uEnd == std::string::npos ? m_strText.size() : uEnd) - uStart;
        nWidest = std::max(nWidest, MeasureText(m_strText.c_str() + uStart, static_cast<int>(uLen)) + 2 * kPadding);
        if (uEnd == std::string::npos) break;
        uStart = uEnd + 1;
    }
    return nWidest;
}

int CArkEdit::VisibleLines() const {
    KXRenderer::CKXFont* pFont = GetFont();
    int nLine = pFont ? std::max(1, pFont->GetLineHeight()) : 16;
    return std::max(1, (m_nHeight - 2 * kPadding) / nLine);
}

void CArkEdit::ScrollToCaret() {
    Invalidate();  // every change of the text, the caret or the selection comes through here
    if (m_uStyle & ARK_EDIT_MULTILINE) {
        int nLine = LineOf(m_nCaret);
        int nVisible = VisibleLines();
        if (nLine < m_nFirstLine) m_nFirstLine = nLine;
        if (nLine >= m_nFirstLine + nVisible) m_nFirstLine = nLine - nVisible + 1;
        if (m_pVScroll) {
            m_pVScroll->SetMax(LineCount());
            m_pVScroll->SetPage(nVisible);
            m_pVScroll->SetPosition(m_nFirstLine);
        }
        return;
    }
    int nCaretX = MeasureText(m_strText.c_str(), m_nCaret);
    int nRoom = std::max(0, m_nWidth - 2 * kPadding);
    if (nCaretX - m_nScrollX > nRoom) m_nScrollX = nCaretX - nRoom;
    if (nCaretX < m_nScrollX) m_nScrollX = nCaretX;
}

void CArkEdit::OnActivate(bool bActive) {
    CArkGUIManager* pManager = m_pManager;
    if (!pManager) return;
    if (m_uStyle & ARK_EDIT_IME_OFF) {
        // This box takes plain characters only: the input method is off while it is active.
        pManager->EnableIme(!bActive);
    } else if (!bActive) {
        pManager->EnableIme(false);
    } else if (!m_bImeDisabled) {
        pManager->EnableIme(true);
    }
    if (m_bActivationNotify) NotifyParent(bActive ? ARK_NOTIFY_EDIT_ACTIVE : ARK_NOTIFY_EDIT_INACTIVE, 0, 0);
}

int CArkEdit::IndexAtPoint(int nX, int nY) const {
    KXRenderer::CKXFont* pFont = GetFont();
    if (!pFont) return -1;
    int nLineStart = 0, nLineEnd = static_cast<int>(m_strText.size());
    if (m_uStyle & ARK_EDIT_MULTILINE) {
        int nLine = m_nFirstLine + std::max(0, nY - kPadding) / std::max(1, pFont->GetLineHeight());
        nLineStart = 0;
        for (int i = 0; i < nLine && nLineStart < static_cast<int>(m_strText.size()); ++i) {
            int nEnd = LineEnd(nLineStart);
            if (nEnd >= static_cast<int>(m_strText.size())) break;
            nLineStart = nEnd + 1;
        }
        nLineEnd = LineEnd(nLineStart);
    }
    return nLineStart + pFont->HitTestText(m_strText.c_str() + nLineStart, nLineEnd - nLineStart, nX - kPadding + m_nScrollX);
}

int CArkEdit::OnLButtonDown(int, int nX, int nY) {
    CArkWatch<> self(this);  // activation hooks may free this box
    Activate();
    if (!self) return 1;
    int nIndex = IndexAtPoint(nX, nY);
    if (nIndex >= 0) CollapseTo(nIndex);
    return 1;
}

void CArkEdit::SelectTo(int nX, int nY) {
    int nIndex = IndexAtPoint(nX, nY);
    if (nIndex >= 0) MoveCaret(nIndex, true);
}

namespace {

// The drag slot of an edit box: the cursor (absolute GUI pixels) carries the selection's free end.
class CEditSelectHandler : public CMouseBaseEventHandler {
public:
    explicit CEditSelectHandler(CArkEdit* pEdit) : CMouseBaseEventHandler(pEdit), m_pEdit(pEdit) {}
    void Begin(uint32_t, int nX, int nY) override { Select(nX, nY); }
    void Move(uint32_t, int nX, int nY) override { Select(nX, nY); }

private:
    void Select(int nX, int nY) { m_pEdit->SelectTo(nX - m_pEdit->GetX(), nY - m_pEdit->GetY()); }
    CArkEdit* m_pEdit;
};

}  // namespace

void CArkEdit::InitMouseHandlers() {
    CArkWnd::InitMouseHandlers();
    SetMouseHandler(ARK_MOUSE_DRAG, std::make_unique<CEditSelectHandler>(this));
}

CArkEdit* CArkEdit::ActivateNext(CArkWnd* pFrom, bool bBackward) {
    CArkWnd* pParent = pFrom ? pFrom->GetParent() : nullptr;
    if (!pParent) return nullptr;
    // Children are linked newest first, so creation order runs from the last child back.
    std::vector<CArkEdit*> vecEdits;
    for (CArkWnd* p = pParent->GetLastChild(); p; p = p->GetPrevSibling()) {
        auto* pEdit = dynamic_cast<CArkEdit*>(p);
        if (pEdit && (pEdit == pFrom || (pEdit->IsVisible() && pEdit->IsEnabled()))) vecEdits.push_back(pEdit);
    }
    auto it = std::find(vecEdits.begin(), vecEdits.end(), pFrom);
    if (vecEdits.size() < 2 || it == vecEdits.end()) return nullptr;
    size_t uAt = static_cast<size_t>(it - vecEdits.begin());
    size_t uNext = bBackward ? (uAt + vecEdits.size() - 1) % vecEdits.size() : (uAt + 1) % vecEdits.size();
    CArkEdit* pNext = vecEdits[uNext];
    pNext->Activate();
    return pNext;
}

int CArkEdit::OnNotify(CArkWnd* pChild, uint32_t uCode, intptr_t, intptr_t b) {
    if (pChild && pChild == m_pVScroll.get() && uCode == ARK_NOTIFY_SCROLL) {
        m_nFirstLine = static_cast<int>(b);
        return 1;
    }
    return 0;
}

bool CArkEdit::OnMouseWheel(int nKeys, int nDelta, int nX, int nY) {
    if (!m_pVScroll) return false;
    return m_pVScroll->OnMouseWheel(nKeys, nDelta, nX, nY);
}

void CArkEdit::Update() {
    CArkWnd::Update();
    if (!m_pManager) return;
    // The caret blinks from the last input on: shown for one half period, hidden for the next.
    const bool bLit = m_bActive && ((m_pManager->GetTick() - m_uLastInputTick) / kBlinkMs) % 2 == 0;
    if (bLit == m_bCaretLit) return;
    m_bCaretLit = bLit;
    InvalidateArea();
}

void CArkEdit::Render() {
    CArkWnd::Render();
    KXRenderer::IKXRenderer* pRenderer = m_pManager ? m_pManager->GetRenderer() : nullptr;
    KXRenderer::CKXFont* pFont = GetFont();
    if (!pRenderer || !pFont) return;
    int nLineH = std::max(1, pFont->GetLineHeight());
    int nTextRight = m_nX + m_nWidth - kPadding - (m_pVScroll ? kScrollWidth : 0);
    pRenderer->PushClipRect({m_nX + kPadding, m_nY + kPadding, nTextRight, m_nY + m_nHeight - kPadding});
    bool bEnabled = IsEnabled();
    uint32_t uText = bEnabled ? m_uTextColour : m_uTextColourDisabled;
    uint32_t uEdge = bEnabled ? m_uEdgeColour : m_uEdgeColourDisabled;
    int nSelFrom = std::min(m_nSelAnchor, m_nSelEnd), nSelTo = std::max(m_nSelAnchor, m_nSelEnd);
    bool bMulti = (m_uStyle & ARK_EDIT_MULTILINE) != 0;
    int nTop = bMulti ? m_nY + kPadding : m_nY + (m_nHeight - nLineH) / 2;
    int nLine = 0;
    for (int nStart = 0;; ++nLine) {
        int nEnd = LineEnd(nStart);
        if (nLine >= m_nFirstLine) {
            float fY = static_cast<float>(nTop + (nLine - m_nFirstLine) * nLineH);
            float fX = static_cast<float>(m_nX + kPadding - m_nScrollX);
            const char* szLine = m_strText.c_str() + nStart;
            int nFrom = std::max(nSelFrom, nStart), nTo = std::min(nSelTo, nEnd);
            if (nFrom < nTo) {
                float fL = fX + static_cast<float>(pFont->MeasureText(szLine, nFrom - nStart));
                float fR = fX + static_cast<float>(pFont->MeasureText(szLine, nTo - nStart));
                pRenderer->DrawSolidQuad({fL, fY, fR, fY + static_cast<float>(nLineH)}, kSelectionColour);
            }
            pRenderer->DrawText(pFont, szLine, nEnd - nStart, fX, fY, uText, uEdge);
            if (m_bActive && m_bCaretLit && m_nCaret >= nStart && m_nCaret <= nEnd) {
                float fC = fX + static_cast<float>(pFont->MeasureText(szLine, m_nCaret - nStart));
                pRenderer->DrawSolidQuad({fC, fY, fC + 1.0f, fY + static_cast<float>(nLineH)}, kCaretColour);
            }
            if (!bMulti || fY > static_cast<float>(m_nY + m_nHeight)) break;
        }
        if (nEnd >= static_cast<int>(m_strText.size())) break;
        nStart = nEnd + 1;
    }
    pRenderer->PopClipRect();
}

}  // namespace ArkGui
