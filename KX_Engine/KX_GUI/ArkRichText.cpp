// CArkRichText: the style state, its reset, the link registry and the fixed-advance owner.
#include "KX_GUI/ArkRichText.h"

#include <algorithm>

namespace ArkGui {

int CArkRichFixedOwner::MeasureChar(const ArkRichFont& font, uint32_t uChar) {
    return uChar >= 0x80 ? font.nAdvance : font.nAdvance / 2;
}

void CArkRichFixedOwner::GetImageSize(ArkAtomKind eKind, int nNumber, int& nWidth, int& nHeight) {
    if (eKind == ArkAtomKind::Btn) {
        nWidth = nButtonWidth;
        nHeight = nButtonHeight;
    } else if (nNumber >= 900) {
        nWidth = nHeight = nSmallIconSize;
    } else {
        nWidth = nHeight = nIconSize;
    }
}

CArkRichText::CArkRichText() { Clear(); }

CArkRichText::~CArkRichText() = default;

void CArkRichText::Clear(bool bKeepEdge) {
    uint32_t uEdge = m_style.uEdge;
    m_vecAtoms.clear();
    m_mapLinks.clear();
    m_nNextLinkId = 1;
    m_style = ArkRichStyle();
    m_style.uColour = m_uDefaultColour;
    m_style.uFlags = m_uDefaultFlags;
    m_style.font.strFace.clear();
    m_style.font.nSize = m_style.font.nAdvance = 12;
    if (bKeepEdge) m_style.uEdge = uEdge;
    m_vecStyleStack.clear();
    m_nLinkId = ARK_RICH_NO_LINK;
    m_nLinkParam1 = 1;
    m_nLinkParam2 = 0;
    m_nPenX = m_nPenY = 0;
    m_nLineHeight = 0;
    m_nContentWidth = 0;
    m_nLineSpacing = 0;
    m_nPendingIndent = 0;
    m_nLine = 0;
    m_bRightToLeft = false;
    m_uRtlFirstAtom = 0;
    m_nRtlRight = 0;
    m_nNextLineFloor = 0;
    m_pRun = nullptr;
    m_bStyleChanged = true;
    m_vecBlocks.clear();
}

void CArkRichText::ResetStyle() {
    Change(m_style.uColour, m_uDefaultColour);
    Change(m_style.uBack, 0u);
    Change(m_style.bBlink, false);
    Change(m_style.bUnderline, false);
    Change(m_style.bStrike, false);
    Change(m_style.nVAlign, 0);
}

void CArkRichText::SetFont(const char* szFace, int nSize, int nAdvance, bool bMeasured) {
    m_style.font.strFace = szFace ? szFace : "";
    m_style.font.nSize = std::max(12, nSize);
    m_style.font.nAdvance = std::max(12, nAdvance);
    m_style.font.bMeasured = bMeasured;
    m_bStyleChanged = true;
}

void CArkRichText::SetLink(int64_t nId, int32_t nP1, int32_t nP2) {
    Change(m_nLinkId, nId);
    Change(m_nLinkParam1, nP1);
    Change(m_nLinkParam2, nP2);
}

void CArkRichText::SetFlag(int nFlag, bool bOn) {
    uint32_t u = m_style.uFlags;
    if (bOn) {
        // Centre, right and from-the-owner's-right exclude each other.
        if (nFlag >= ARK_RICH_CENTRE && nFlag <= ARK_RICH_FROM_OWNER_RIGHT) {
            u &= ~(ArkRichFlag(ARK_RICH_CENTRE) | ArkRichFlag(ARK_RICH_RIGHT) | ArkRichFlag(ARK_RICH_FROM_OWNER_RIGHT));
        }
        u |= ArkRichFlag(nFlag);
    } else {
        u &= ~ArkRichFlag(nFlag);
    }
    Change(m_style.uFlags, u);
}

int64_t CArkRichText::RegisterLink(int nType, const std::string& strData) {
    int64_t nId = m_nNextLinkId++;
    m_mapLinks[nId] = {nType, strData};
    return nId;
}

bool CArkRichText::FindLink(int64_t nId, int& nType, std::string& strData) const {
    auto it = m_mapLinks.find(nId);
    if (it == m_mapLinks.end()) return false;
    nType = it->second.first;
    strData = it->second.second;
    return true;
}

CAtom* CArkRichText::HitTest(int nX, int nY) const {
    for (const auto& p : m_vecAtoms) {
        if (p->Contains(nX, nY)) return p.get();
    }
    return nullptr;
}

void CArkRichText::AppendChar(std::string& str, uint32_t uChar, bool bFront) const {
    char buf[2];
    size_t n = 0;
    buf[n++] = static_cast<char>(uChar & 0xFF);
    if (uChar > 0xFF) buf[n++] = static_cast<char>((uChar >> 8) & 0xFF);
    if (bFront) {
        str.insert(0, buf, n);
    } else {
        str.append(buf, n);
    }
}

}  // namespace ArkGui
