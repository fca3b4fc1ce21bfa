// CArkRichText: placing characters and icons, breaking and finishing lines, and #P+/#P- blocks.
#include "KX_GUI/ArkRichText.h"

#include <algorithm>

#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace ArkGui {

namespace {

constexpr int kOwnerRowStep = 42;     // flag 3: atoms set from the owner's right edge, this far apart
constexpr int kOwnerRowMargin = 40;
constexpr int kOwnerRowHeight = 40;
constexpr int kSmallIconFirst = 900;  // icons from here on are small inline marks
constexpr int kSmallIconHeight = 12;
constexpr int kSmallIconRaise = 3;

bool IsSpace(uint32_t uChar) { return uChar == ' ' || uChar == 0xA1A1; }

}  // namespace

void CArkRichText::AddChar(IArkRichOwner* pOwner, uint32_t uChar) {
    const ArkRichFont& font = m_style.font;
    int nAdvance = uChar > 0xFF ? font.nAdvance : font.nAdvance / 2;
    if (font.bMeasured && pOwner && !IsSpace(uChar)) nAdvance = pOwner->MeasureChar(font, uChar);

    if (m_bRightToLeft) {
        AddCharRightToLeft(pOwner, uChar, nAdvance);
        return;
    }

    bool bAfterWrap = false;
    if (m_pRun || m_nPenX > LineStartX()) {
        if (m_nPenX + nAdvance > m_nWrapWidth) {
            NewLine(pOwner, true);
            m_nLineHeight = TextLineHeight(pOwner);
            bAfterWrap = true;
        } else if (m_pRun && !m_bStyleChanged) {
            AppendChar(m_pRun->strText, uChar, false);
            m_pRun->nWidth += nAdvance;
            m_nPenX += nAdvance;
            m_nContentWidth = std::max(m_nContentWidth, m_nPenX);
            if (!m_vecBlocks.empty()) m_vecBlocks.back().nMaxX = std::max(m_vecBlocks.back().nMaxX, m_nPenX);
            return;
        }
    }
    StartRun(pOwner, uChar, nAdvance, bAfterWrap);
}

int CArkRichText::TextLineHeight(IArkRichOwner* pOwner) const {
    const ArkRichFont& font = m_style.font;
    return std::max(font.nAdvance, pOwner ? pOwner->GetLineHeight(font) : 0);
}

void CArkRichText::AddCharRightToLeft(IArkRichOwner* pOwner, uint32_t uChar, int nAdvance) {
    // Right to left never breaks a line: what no longer fits at the left edge is dropped.
    if (m_nPenX - nAdvance <= 0) return;
    m_nPenX -= nAdvance;
    // What was inserted so far moves left; the new character goes in at the right edge.
    for (size_t i = m_uRtlFirstAtom; i < m_vecAtoms.size(); ++i) {
        m_vecAtoms[i]->nX -= nAdvance;
        m_vecAtoms[i]->nBaseX -= nAdvance;
    }
    if (m_pRun && !m_bStyleChanged) {
        AppendChar(m_pRun->strText, uChar, false);
        m_pRun->nWidth += nAdvance;
        return;
    }
    const int nLeft = m_nPenX;
    m_nPenX = m_nRtlRight - nAdvance;
    StartRun(pOwner, uChar, nAdvance, false);
    m_nPenX = nLeft;  // StartRun moved the pen past the character
}

void CArkRichText::StartRun(IArkRichOwner* pOwner, uint32_t uChar, int nAdvance, bool bAfterWrap) {
    const ArkRichFont& font = m_style.font;
    // Lines are as high as the font's line box (at least its full advance), also for single-byte
    // characters, and the run's box is that line box.
    const int nRunHeight = TextLineHeight(pOwner);
    m_nLineHeight = std::max(m_nLineHeight, nRunHeight);
    m_nPenX += m_nPendingIndent;
    m_nPendingIndent = 0;

    auto pRun = std::make_unique<CText>();
    pRun->uColour = m_style.uColour;
    pRun->uBack = m_style.uBack;
    pRun->uEdge = m_style.uEdge;
    pRun->bBlink = m_style.bBlink;
    pRun->bUnderline = m_style.bUnderline;
    pRun->bStrike = m_style.bStrike;
    pRun->nVAlign = m_style.nVAlign;
    pRun->font = font;
    pRun->uHoverBack = m_style.uHoverBack;
    pRun->uHoverText = m_style.uHoverText;
    pRun->bHoverBack = HasFlag(ARK_RICH_HOVER_BACK);
    pRun->bHoverText = HasFlag(ARK_RICH_HOVER_TEXT);
    pRun->nLinkId = m_nLinkId;
    pRun->nLinkParam1 = m_nLinkParam1;
    pRun->nLinkParam2 = m_nLinkParam2;
    pRun->nLine = m_nLine;
    pRun->bAfterWrap = bAfterWrap;
    pRun->nX = pRun->nBaseX = m_nPenX;
    pRun->nY = pRun->nLineY = m_nPenY;
    pRun->nWidth = nAdvance;
    pRun->nHeight = nRunHeight;
    AppendChar(pRun->strText, uChar, false);
    m_nPenX += nAdvance;
    m_nContentWidth = std::max(m_nContentWidth, m_nPenX);
    if (!m_vecBlocks.empty()) m_vecBlocks.back().nMaxX = std::max(m_vecBlocks.back().nMaxX, m_nPenX);
    m_bStyleChanged = false;
    pRun->nBottom = m_nPenY + m_nLineHeight;
    m_pRun = pRun.get();
    ModifyPosByLineYAlign();
    m_vecAtoms.push_back(std::move(pRun));
}

void CArkRichText::ModifyPosByLineYAlign() {
    if (!m_pRun) return;
    int nAdvance = m_style.font.nAdvance;
    if (m_style.nVAlign == 2) {
        m_pRun->nAlignDy = m_nLineHeight - nAdvance;
        ArkLog(WL_ERROR, M_Logic, "%s %d", "ArkGui::CArkRichText::ModifyPosByLineYAlign", nAdvance - m_nLineHeight);
    } else if (m_style.nVAlign == 1) {
        m_pRun->nAlignDy = (m_nLineHeight - nAdvance) / 2;
    } else {
        m_pRun->nAlignDy = 0;
    }
    m_pRun->nY = m_pRun->nLineY + m_pRun->nAlignDy;
}

void CArkRichText::NewLine(IArkRichOwner* pOwner, bool bWrap) {
    m_bRightToLeft = false;
    FinishLine(pOwner, bWrap);
    m_nPenY = std::max(m_nPenY + m_nLineSpacing + m_nLineHeight, m_nNextLineFloor);
    m_nNextLineFloor = 0;
    m_nContentWidth = std::max(m_nContentWidth, m_nPenX);
    if (!m_vecBlocks.empty()) m_vecBlocks.back().nMaxX = std::max(m_vecBlocks.back().nMaxX, m_nPenX);
    m_nPenX = LineStartX();
    m_nLineHeight = 0;
    m_pRun = nullptr;
    ++m_nLine;
    if (!bWrap || HasFlag(ARK_RICH_WRAP_INDENT)) m_nPendingIndent = m_style.font.nAdvance * m_nParaIndent / 2;
}

void CArkRichText::FinishLine(IArkRichOwner* pOwner, bool) {
    const bool bFromRight = HasFlag(ARK_RICH_FROM_OWNER_RIGHT);
    int nShift = 0;
    if (HasFlag(ARK_RICH_CENTRE)) nShift = (m_nWrapWidth - m_nPenX) / 2;
    if (HasFlag(ARK_RICH_RIGHT)) nShift = m_nWrapWidth - m_nPenX;
    int nOwnerWidth = pOwner ? pOwner->GetOwnerWidth() : m_nWrapWidth;
    int nSlot = 0;
    // Lines only go down, except that a closed block returns the pen to its first line: atoms of the
    // block's lower lines are stepped over.
    for (auto it = m_vecAtoms.rbegin(); it != m_vecAtoms.rend() && (*it)->nLineY >= m_nPenY; ++it) {
        CAtom& atom = **it;
        if (atom.nLineY != m_nPenY) continue;
        if (bFromRight) {
            atom.nX = nOwnerWidth + (m_nLineHeight - atom.nWidth) / 2 - kOwnerRowMargin - nSlot * kOwnerRowStep;
        } else {
            atom.nX = atom.nBaseX + nShift;
        }
        int nY = atom.nLineY;
        const bool bOwnAlign = atom.eKind == ArkAtomKind::Text && static_cast<CText&>(atom).nVAlign != 0;
        if (bOwnAlign) {
            nY += atom.nAlignDy;
        } else if (HasFlag(ARK_RICH_BOTTOM)) {
            nY += m_nLineHeight - atom.nHeight;
            if (atom.eKind != ArkAtomKind::Text && atom.eKind != ArkAtomKind::Btn &&
                static_cast<CIcon&>(atom).nIcon >= kSmallIconFirst) {
                nY -= kSmallIconRaise;
            }
        } else if (!HasFlag(ARK_RICH_KEEP_TOP)) {
            nY += (m_nLineHeight - atom.nHeight) / 2;
        }
        atom.nY = nY;
        atom.nBottom = atom.nLineY + m_nLineHeight;
        ++nSlot;
    }
}

void CArkRichText::AddIconAtom(IArkRichOwner* pOwner, std::unique_ptr<CAtom> pAtom, int nNumber) {
    int nW = 16, nH = 16;
    if (pOwner) pOwner->GetImageSize(pAtom->eKind, nNumber, nW, nH);
    m_bRightToLeft = false;
    const bool bWrap = m_nPenX + nW > m_nWrapWidth && m_nPenX > LineStartX();
    if (bWrap) NewLine(pOwner, true);
    m_nPenX += m_nPendingIndent;
    m_nPendingIndent = 0;

    CAtom& atom = *pAtom;
    atom.nX = atom.nBaseX = m_nPenX;
    atom.nY = atom.nLineY = m_nPenY;
    atom.nWidth = nW;
    atom.nHeight = nH;
    atom.nLine = m_nLine;
    atom.bAfterWrap = bWrap;
    if (atom.eKind == ArkAtomKind::Icon) {
        atom.nLinkId = m_nLinkId;
        atom.nLinkParam1 = m_nLinkParam1;
        atom.nLinkParam2 = m_nLinkParam2;
    }
    atom.bHoverBack = HasFlag(ARK_RICH_HOVER_BACK);
    atom.uHoverBack = m_style.uHoverBack;
    if (atom.eKind != ArkAtomKind::Btn && nNumber < kSmallIconFirst) atom.strText = "#" + std::to_string(nNumber);

    m_nPenX += nW;
    m_nContentWidth = std::max(m_nContentWidth, m_nPenX);
    if (!m_vecBlocks.empty()) m_vecBlocks.back().nMaxX = std::max(m_vecBlocks.back().nMaxX, m_nPenX);
    if (HasFlag(ARK_RICH_FROM_OWNER_RIGHT)) {
        m_nLineHeight = kOwnerRowHeight;
    } else if (atom.eKind != ArkAtomKind::Btn && nNumber >= kSmallIconFirst) {
        bool bTall = nH >= 13 && pOwner && pOwner->AllowsTallSmallIcons();
        m_nLineHeight = bTall ? nH : kSmallIconHeight;
    } else {
        m_nLineHeight = std::max(m_nLineHeight, nH);
    }
    atom.nBottom = m_nPenY + m_nLineHeight;
    m_pRun = nullptr;
    m_vecAtoms.push_back(std::move(pAtom));
}

void CArkRichText::OpenBlock() {
    m_vecBlocks.push_back({m_nPenX, m_nPenY, m_nPenX, m_nLineHeight});
    m_nLineHeight = std::max(m_nLineHeight, m_style.font.nAdvance);
}

void CArkRichText::CloseBlock(IArkRichOwner* pOwner) {
    if (m_vecBlocks.empty()) return;
    Block block = m_vecBlocks.back();
    m_vecBlocks.pop_back();
    int nDeepest = std::max(m_nPenY + m_nLineHeight, m_nNextLineFloor);
    int nRight = std::max(block.nMaxX, m_nPenX);
    // The block's atoms on its last line are finished; the pen goes back to the block's first line,
    // whose text keeps its place: only the next line starts below the block.
    FinishLine(pOwner, false);
    m_nPenY = block.nY;
    m_nPenX = nRight;
    m_nLineHeight = block.nLineHeight;
    m_nNextLineFloor = std::max(m_nNextLineFloor, nDeepest);
    m_pRun = nullptr;
    m_nContentWidth = std::max(m_nContentWidth, m_nPenX);
    if (!m_vecBlocks.empty()) m_vecBlocks.back().nMaxX = std::max(m_vecBlocks.back().nMaxX, m_nPenX);
}

}  // namespace ArkGui
