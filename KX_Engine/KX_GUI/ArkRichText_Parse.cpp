// CArkRichText: the markup scanner (ParseText), the code table (ParseCode) and the style codes.
#include "KX_GUI/ArkRichText.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <cstring>

namespace ArkGui {

namespace {

struct NamedColour {
    char cCode;
    uint32_t uColour;
};

constexpr NamedColour kNamedColours[] = {
    {'B', 0xFF7B79FEu}, {'C', 0xFFFFCC66u}, {'D', 0xFFFF3333u}, {'J', 0xFFFF66FFu},
    {'K', 0xFF000000u}, {'M', 0xFFFF7F00u}, {'N', 0xFFFFFE91u}, {'R', 0xFFFF0000u},
    {'W', 0xFFFFFFFFu}, {'Y', 0xFFFFFF00u}, {'m', 0xFFCC33FFu},
};
constexpr uint32_t kGreen = 0xFF238E23u, kLightGreen = 0xFF6CEE30u;
constexpr uint32_t kPink = 0xFFFF66FFu, kRose = 0xFFFF66CCu;
constexpr uint32_t kAnyAColour = 0xFF9CF46Cu;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Up to nMax decimal digits; the count read, the value in nValue (0 when none).
int ReadDigits(const char* p, int nMax, int& nValue) {
    int n = 0;
    while (n < nMax && IsDigit(p[n])) ++n;
    nValue = 0;
    if (n > 0) boost::conversion::try_lexical_convert(std::string(p, static_cast<size_t>(n)), nValue);
    return n;
}

// Up to eight hex digits.
int ReadHex(const char* p, uint32_t& uValue) {
    int n = 0;
    uValue = 0;
    while (n < 8 && HexValue(p[n]) >= 0) uValue = (uValue << 4) | static_cast<uint32_t>(HexValue(p[n++]));
    return n;
}

bool StartsWith(const char* p, const char* szWord) { return std::strncmp(p, szWord, std::strlen(szWord)) == 0; }

}  // namespace

int CArkRichText::ParseText(IArkRichOwner* pOwner, const char* szText) {
    if (!szText || !*szText) return 0;
    const char* p = szText;
    m_pEnd = szText + std::strlen(szText);
    for (TerminatorSeen& seen : m_aSeen) seen = TerminatorSeen();
    while (p < m_pEnd) {
        const uint8_t c = static_cast<uint8_t>(*p);
        if (c == '#') {
            int n = ParseCode(pOwner, p + 1);
            if (n < 0) break;  // a '#' at the very end is left unconsumed
            p += 1 + n;
        } else if (c >= 0x80) {
            if (p + 1 >= m_pEnd) break;  // a lead byte without its trail byte
            AddChar(pOwner, c | (static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8));
            p += 2;
        } else if (c == '\n') {
            ParseCode(pOwner, "r");
            ++p;
        } else {
            AddChar(pOwner, c);
            ++p;
        }
    }
    m_pEnd = nullptr;
    for (TerminatorSeen& seen : m_aSeen) seen = TerminatorSeen();
    return static_cast<int>(p - szText);
}

int CArkRichText::ParseCode(IArkRichOwner* pOwner, const char* p) {
    const char c = *p;
    if (c == '\0') return -1;
    if (IsDigit(c)) {
        int nIcon = 0;
        int n = ReadDigits(p, 3, nIcon);
        AddIconAtom(pOwner, std::make_unique<CIcon>(nIcon), nIcon);
        return n;
    }
    for (const NamedColour& named : kNamedColours) {
        if (named.cCode == c) {
            Change(m_style.uColour, named.uColour);
            return 1;
        }
    }
    switch (c) {
        case '#': AddChar(pOwner, '#'); return 1;
        case 'A': return ParseAlign(p);
        case 'G':
        case 'V': {
            bool bSecond = StartsWith(p + 1, "(1)");
            uint32_t uColour = c == 'G' ? (bSecond ? kLightGreen : kGreen) : (bSecond ? kRose : kPink);
            Change(m_style.uColour, uColour);
            return bSecond ? 4 : 1;
        }
        case 'E': return ParseHexColour(p, true);
        case 'e': return ParseHexColour(p, false);
        case 'c': return p[1] == '(' ? ParseLinkCode(p) : ParseTextColour(p);
        case 'F': return ParseFontCode(p);
        case 'I':
        case 'X':
        case 'Z':
        case 'O':
        case 'p': return ParseRegexCode(pOwner, p);
        case 'L': {
            int nValue = 0;
            int n = ReadDigits(p + 1, 2, nValue);
            m_nLineHeight = nValue - m_nLineSpacing;
            NewLine(pOwner, false);
            return 1 + n;
        }
        case 'l': return 1 + ReadDigits(p + 1, 2, m_nLineSpacing);
        case 'U': {
            int nValue = 0;
            int n = ReadDigits(p + 1, 3, nValue);
            m_nWrapWidth = nValue;
            m_nContentWidth = nValue;
            return 1 + n;
        }
        case 'S':
            if (p[1] == '+') {
                m_vecStyleStack.push_back(m_style);
                return 2;
            }
            if (p[1] == '-') {
                if (!m_vecStyleStack.empty()) {
                    ArkRichStyle saved = m_vecStyleStack.back();
                    m_vecStyleStack.pop_back();
                    saved.bStrike = m_style.bStrike;
                    saved.nVAlign = m_style.nVAlign;
                    m_style = saved;
                    m_bStyleChanged = true;
                }
                return 2;
            }
            return 0;
        case 'P': return ParseFlagCode(pOwner, p);
        case 'b': Change(m_style.bBlink, true); return 1;
        case 'd': Change(m_style.bStrike, true); return 1;
        case 'u': Change(m_style.bUnderline, !m_style.bUnderline); return 1;
        case 'n': ResetStyle(); return 1;
        case 'f': FinishLine(pOwner, false); return 1;
        case 'r':
            m_nLineHeight = std::max(m_nLineHeight, pOwner ? pOwner->GetFontHeight() : m_style.font.nAdvance);
            NewLine(pOwner, false);
            return 1;
        default: return 0;
    }
}

int CArkRichText::ParseAlign(const char* p) {
    if (StartsWith(p, "AlignRight")) {
        m_bRightToLeft = true;
        m_nPenX = m_nContentWidth;
        m_nRtlRight = m_nContentWidth;
        m_uRtlFirstAtom = m_vecAtoms.size();
        m_nPendingIndent = 0;  // an indent has no meaning at the right edge
        m_pRun = nullptr;
        return 10;
    }
    if (StartsWith(p, "AlignLeft")) {
        m_nPendingIndent = 0;
        return 9;
    }
    if (StartsWith(p, "AlignTop")) {
        Change(m_style.nVAlign, 0);
        return 8;
    }
    if (StartsWith(p, "AlignYCenter")) {
        Change(m_style.nVAlign, 1);
        return 12;
    }
    if (StartsWith(p, "AlignBottom")) {
        Change(m_style.nVAlign, 2);
        return 11;
    }
    Change(m_style.uColour, kAnyAColour);
    return 1;
}

int CArkRichText::ParseHexColour(const char* p, bool bUpper) {
    uint32_t uValue = 0;
    if (p[1] == '(') {
        int n = ReadHex(p + 2, uValue);
        Change(bUpper ? m_style.uHoverBack : m_style.uHoverText, uValue);
        return p[2 + n] == ')' ? 3 + n : 2 + n;
    }
    int n = ReadHex(p + 1, uValue);
    Change(bUpper ? m_style.uBack : m_style.uEdge, uValue);
    return 1 + n;
}

int CArkRichText::ParseTextColour(const char* p) {
    uint32_t uValue = 0;
    int n = ReadHex(p + 1, uValue);
    // Short forms have no alpha of their own: opaque.
    if (n < 7) uValue |= 0xFF000000u;
    Change(m_style.uColour, uValue);
    return 1 + n;
}

int CArkRichText::ParseFontCode(const char* p) {
    const char cLetter = p[1];
    if (cLetter == '\0') return 1;
    int nSize = 0;
    int n = ReadDigits(p + 2, 2, nSize);
    const char* szKai = "楷体";
    const char* szHei = "黑体";
    const char* szSong = "宋体";
    if (cLetter == 'c') {
        if (nSize == 15) {
            SetFont(szKai, 19, 19, m_style.font.bMeasured);
        } else if (nSize == 13) {
            SetFont(szHei, 15, 15, m_style.font.bMeasured);
        } else {
            SetFont(szSong, nSize, nSize, m_style.font.bMeasured);
        }
    } else if (cLetter == 'f') {
        if (nSize == 14 || nSize == 15 || nSize == 17) {
            SetFont(szHei, nSize, nSize, m_style.font.bMeasured);
        } else if (nSize == 16) {
            SetFont(szKai, 16, 17, m_style.font.bMeasured);
        } else if (nSize == 18) {
            SetFont(szKai, 19, 19, m_style.font.bMeasured);
        } else {
            SetFont(szSong, nSize, nSize, m_style.font.bMeasured);
        }
    } else if (nSize == 12 || nSize == 14) {
        SetFont(szHei, 14, 14, m_style.font.bMeasured);
    } else {
        SetFont(szSong, nSize, nSize, m_style.font.bMeasured);
    }
    return 2 + n;
}

int CArkRichText::ParseFlagCode(IArkRichOwner* pOwner, const char* p) {
    const char cNext = p[1];
    if (cNext == '+') {
        OpenBlock();
        return 2;
    }
    if (cNext == '-') {
        CloseBlock(pOwner);
        return 2;
    }
    if (cNext == '\0') return 1;
    if (cNext < '0') return 0;
    int nFlag = std::min(9, cNext - '0');
    if (nFlag == 0) {
        Change(m_style.uFlags, 0u);
        return 2;
    }
    if (p[2] == '-') {
        SetFlag(nFlag, false);
        return 3;
    }
    SetFlag(nFlag, true);
    return p[2] == '+' ? 3 : 2;
}

}  // namespace ArkGui
