// CArkRichWnd: text set and append, bounded mode, scroll range, layout on resize, fonts and images.
#include "KX_GUI/ArkRichWnd.h"

#include <algorithm>
#include <cstdio>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXFont.h"
#include "KX_Renderer/KXFontTable.h"
#include "KX_Renderer/KXRenderer.h"

namespace ArkGui {

namespace {

constexpr int kDefaultIcon = 16;
constexpr int kDefaultButtonW = 48;
constexpr int kDefaultButtonH = 20;
constexpr int kButtonFrames = 3;
constexpr int kMouseInset = 5;
constexpr int kAutoHeightPad = 10;

}  // namespace

CArkRichWnd::CArkRichWnd() { m_nType = ARK_WND_RICH; }

CArkRichWnd::~CArkRichWnd() { CArkRichWnd::Destroy(); }

const char* CArkRichWnd::GetClassName() const { return "CArkRichWnd"; }

int CArkRichWnd::Create(const char* szCaption, uint32_t uStyle, int nX, int nY, int nWidth, int nHeight,
                        CArkWnd* pParent, const char* szFontName, int nFontSize, intptr_t nUserData) {
    if (CArkWnd::Create("", uStyle, nX, nY, nWidth, nHeight, pParent, szFontName, nFontSize, nUserData) != 0) return -1;
    if (uStyle & ARK_RICH_SCROLLBAR) CreateScrollBar();
    SetText(szCaption);
    return 0;
}

void CArkRichWnd::CreateScrollBar() {
    m_pVScroll = std::make_unique<CArkScrollBar>();
    m_pVScroll->Create("", 0, m_nWidth - kScrollBarWidth, 0, kScrollBarWidth, m_nHeight, this);
    m_pVScroll->SetName("vscroll");
}

void CArkRichWnd::SetStyle(uint32_t uStyle) {
    const int nOldWrap = WrapWidth();
    CArkWnd::SetStyle(uStyle);
    if (!m_pManager) return;  // Create makes the scroll bar the style asks for
    if ((m_uStyle & ARK_RICH_SCROLLBAR) && !m_pVScroll) {
        CreateScrollBar();
    } else if (!(m_uStyle & ARK_RICH_SCROLLBAR) && m_pVScroll) {
        m_pVScroll->Destroy();
        m_pVScroll.reset();
        m_nScrollY = 0;
    }
    // The wrap width goes with the same bits: lay the text out again, keeping the scroll position.
    if (WrapWidth() != nOldWrap) {
        const int nPos = m_nScrollY;
        Relayout();
        SetScrollPos(nPos);
    }
}

int CArkRichWnd::Destroy() {
    if (m_pVScroll) m_pVScroll->Destroy();
    m_pPressed = nullptr;
    return CArkWnd::Destroy();
}

int CArkRichWnd::WrapWidth() const { return m_nWidth - ((m_uStyle & ARK_RICH_SCROLLBAR) ? kScrollBarWidth : 0); }

void CArkRichWnd::SetDefaultFlags(uint32_t uFlags) { m_rich.SetDefaultFlags(uFlags); }

void CArkRichWnd::SetText(const char* szText) {
    m_strText = szText ? szText : "";
    m_uTextEdge = m_rich.GetStyle().uEdge;
    m_nScrollY = 0;
    Relayout();
    if (m_pManager) m_uBlinkStart = m_pManager->GetTick();
}

void CArkRichWnd::Relayout() {
    m_pPressed = nullptr;
    m_rich.SetWrapWidth(WrapWidth());
    m_rich.SetEdgeColour(m_uTextEdge);
    m_rich.Clear(true);
    const bool bMeasured = GetFont() != nullptr;
    m_rich.SetFont(GetFontName().c_str(), GetFontSize(), GetFontSize(), bMeasured);
    m_rich.ParseText(this, m_strText.c_str());
    m_rich.FinishLine(this, false);
    AfterTextChange();
}

void CArkRichWnd::AppendText(const char* szText, bool bScrollToEnd, bool bKeepPos, int nPrevPos) {
    const std::string strNew = szText ? szText : "";
    if (m_uCapacity > 0 && m_strText.size() + strNew.size() > m_uCapacity) {
        const size_t uTotal = m_strText.size() + strNew.size();
        const size_t uKeepFrom = m_uCapacity * 3 / 4;
        const size_t uStart = uTotal > uKeepFrom ? uTotal - uKeepFrom : 0;
        const size_t uBreak = uStart < m_strText.size() ? m_strText.find("#r", uStart) : std::string::npos;
        if (uBreak != std::string::npos) {
            m_strText.erase(0, uBreak + 2);
            std::printf("CArkRichWnd::SetWndRect 文本内容越界，裁剪完成[%s]\n", m_strText.substr(0, 5).c_str());
            std::fflush(stdout);
        } else {
            ArkLog(WL_ERROR, M_UI, "%s", "CArkRichWnd::SetWndRect 未找到正确的换行符");
            m_strText.clear();
        }
        m_strText.reserve(m_uCapacity + kBoundedSlack);
        Relayout();
    }
    m_strText += strNew;
    m_rich.ParseText(this, strNew.c_str());
    m_rich.FinishLine(this, false);
    AfterTextChange();
    if (bScrollToEnd && m_pVScroll) {
        SetScrollPos(static_cast<int>(m_pVScroll->GetMax() - m_pVScroll->GetPage()));
    } else if (bScrollToEnd) {
        SetScrollPos(std::max(0, m_rich.GetContentHeight() - m_nHeight));
    } else if (bKeepPos) {
        SetScrollPos(nPrevPos);
    }
}

void CArkRichWnd::SetBounded(size_t uCapacity) {
    m_uCapacity = uCapacity;
    if (uCapacity > 0) m_strText.reserve(uCapacity + kBoundedSlack);
}

void CArkRichWnd::AfterTextChange() {
    Invalidate();
    if (m_uStyle & ARK_RICH_AUTO_HEIGHT) {
        int nHeight = std::max(m_rich.GetContentHeight(), GetFontHeight());
        if (m_uStyle & ARK_RICH_MOUSE_UP) nHeight += kAutoHeightPad;
        if (nHeight != m_nHeight) CArkRichWnd::SetRect({m_nX, m_nY, m_nX + m_nWidth, m_nY + nHeight});
    }
    if (m_pVScroll) {
        m_pVScroll->SetMax(m_rich.GetContentHeight());
        m_pVScroll->SetPage(m_nHeight);
        m_pVScroll->SetStep(GetFontHeight());  // the arrows move by about a line
        m_nScrollY = static_cast<int>(m_pVScroll->GetPosition());
    }
}

void CArkRichWnd::SetScrollPos(int nPos) {
    Invalidate();
    if (m_pVScroll) {
        m_pVScroll->SetPosition(nPos);
        m_nScrollY = static_cast<int>(m_pVScroll->GetPosition());
    } else {
        m_nScrollY = std::max(0, std::min(nPos, m_rich.GetContentHeight() - m_nHeight));
    }
}

void CArkRichWnd::SetRect(const KXRenderer::KXRectI& rc, bool bFlag) {
    const int nOldWidth = m_nWidth;
    CArkWnd::SetRect(rc, bFlag);
    PlaceScrollBar();
    // A new width wraps differently: lay the whole text out again, keeping the scroll position.
    if (m_nWidth != nOldWidth && m_pManager) {
        const int nPos = m_nScrollY;
        Relayout();
        SetScrollPos(nPos);
    } else if (m_pVScroll) {
        m_pVScroll->SetPage(m_nHeight);
    }
}

void CArkRichWnd::PlaceScrollBar() {
    if (!m_pVScroll) return;
    m_pVScroll->SetRect({m_nX + m_nWidth - kScrollBarWidth, m_nY, m_nX + m_nWidth, m_nY + m_nHeight});
}

KXRenderer::CKXFont* CArkRichWnd::ResolveFont(const ArkRichFont& font) const {
    if (font.strFace.empty() || (font.strFace == GetFontName() && font.nSize == GetFontSize()) || !m_pManager) {
        return GetFont();
    }
    const bool bFileFace = KXRenderer::CKXGuiFontTable::IsFileFaceName(font.strFace.c_str());
    int nEntry = 0, nEffective = 0;
    if (!KXRenderer::CKXGuiFontTable::SelectEntry(font.nSize, bFileFace, nEntry, nEffective)) return GetFont();
    KXRenderer::CKXFont* pFont = m_pManager->GetFont(nEntry, bFileFace);
    return pFont ? pFont : GetFont();
}

int CArkRichWnd::MeasureChar(const ArkRichFont& font, uint32_t uChar) {
    KXRenderer::CKXFont* pFont = ResolveFont(font);
    const bool bDouble = uChar > 0xFF;
    if (!pFont) return bDouble ? font.nAdvance : font.nAdvance / 2;
    const char acChar[2] = {static_cast<char>(uChar & 0xFF), static_cast<char>((uChar >> 8) & 0xFF)};
    return pFont->MeasureText(acChar, bDouble ? 2 : 1);
}

int CArkRichWnd::GetLineHeight(const ArkRichFont& font) {
    KXRenderer::CKXFont* pFont = ResolveFont(font);
    return pFont ? pFont->GetLineHeight() : font.nAdvance;
}

int CArkRichWnd::GetFontHeight() const {
    KXRenderer::CKXFont* pFont = GetFont();
    return pFont ? pFont->GetLineHeight() : GetFontSize();
}

void CArkRichWnd::SetIconImage(int nNumber, std::shared_ptr<KXRenderer::CKXTexture> pTexture) {
    m_mapIcons[nNumber] = std::move(pTexture);
    Invalidate();
}

void CArkRichWnd::SetButtonImage(int nNumber, std::shared_ptr<KXRenderer::CKXTexture> pTexture) {
    m_mapButtons[nNumber] = std::move(pTexture);
    Invalidate();
}

std::shared_ptr<KXRenderer::CKXTexture> CArkRichWnd::ResolveImage(ArkAtomKind eKind, int nNumber) {
    const bool bButton = eKind == ArkAtomKind::Btn;
    auto& mapImages = bButton ? m_mapButtons : m_mapIcons;
    auto it = mapImages.find(nNumber);
    if (it != mapImages.end()) return it->second;
    KXRenderer::IKXRenderer* pRenderer = m_pManager ? m_pManager->GetRenderer() : nullptr;
    if (!pRenderer) return nullptr;  // asked again once there is a renderer
    char szName[64];
    std::snprintf(szName, sizeof(szName), bButton ? "interface/richtext/btn%03d.png" : "interface/richtext/icon%03d.png",
                  nNumber);
    std::shared_ptr<KXRenderer::CKXTexture> pTexture = pRenderer->LoadTexture(szName);
    mapImages[nNumber] = pTexture;
    return pTexture;
}

void CArkRichWnd::GetImageSize(ArkAtomKind eKind, int nNumber, int& nWidth, int& nHeight) {
    std::shared_ptr<KXRenderer::CKXTexture> pTexture = ResolveImage(eKind, nNumber);
    if (eKind == ArkAtomKind::Btn) {
        nWidth = pTexture ? pTexture->GetWidth() / kButtonFrames : kDefaultButtonW;
        nHeight = pTexture ? pTexture->GetHeight() : kDefaultButtonH;
    } else {
        nWidth = pTexture ? pTexture->GetWidth() : kDefaultIcon;
        nHeight = pTexture ? pTexture->GetHeight() : kDefaultIcon;
    }
}

CAtom* CArkRichWnd::AtomAtWindowPoint(int nX, int nY) const {
    if (m_uStyle & ARK_RICH_SCROLLBAR) nX -= kMouseInset;
    if (m_uStyle & ARK_RICH_MOUSE_UP) nY -= kMouseInset;
    return m_rich.HitTest(nX, nY + m_nScrollY);
}

}  // namespace ArkGui
