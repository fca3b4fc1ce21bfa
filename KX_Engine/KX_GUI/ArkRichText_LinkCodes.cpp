// CArkRichText: the link codes: #c( text links, and #I, #X, #Z, #O and #p with their terminators.
#include "KX_GUI/ArkRichText.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <cstring>


namespace ArkGui {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A signed decimal field of a link code, at most 20 characters; false when it holds no digit or
// does not fit.
template <class T>
bool ReadSignedField(const char*& p, T& value) {
    const char* pStart = p;
    if (*p == '-' || *p == '+') ++p;
    while (IsDigit(*p) && p - pStart < 20) ++p;
    std::string strField(pStart, static_cast<size_t>(p - pStart));
    if (*strField.c_str() == '+') strField.erase(0, 1);
    return !strField.empty() && boost::conversion::try_lexical_convert(strField, value);
}

bool IsDigits(const char* p, const char* pLast, int nCount) {
    if (pLast - p < nCount) return false;
    for (int i = 0; i < nCount; ++i) {
        if (!IsDigit(p[i])) return false;
    }
    return true;
}

// One or more digits from p; the byte after them, or null when there is none.
const char* SkipDigits(const char* p, const char* pLast) {
    const char* q = p;
    while (q < pLast && IsDigit(*q)) ++q;
    return q > p ? q : nullptr;
}

// "id" n "x" n "y" n at p (each n one or more digits, the last taken whole); its end, or null.
const char* MatchPosition(const char* p, const char* pLast) {
    if (pLast - p < 2 || p[0] != 'i' || p[1] != 'd') return nullptr;
    const char* q = SkipDigits(p + 2, pLast);
    if (!q || q >= pLast || *q != 'x') return nullptr;
    q = SkipDigits(q + 1, pLast);
    if (!q || q >= pLast || *q != 'y') return nullptr;
    return SkipDigits(q + 1, pLast);
}

}  // namespace

int CArkRichText::ParseLinkCode(const char* p) {
    const char* q = p + 2;
    int64_t nId = ARK_RICH_NO_LINK;
    int32_t nP1 = 1, nP2 = 0;
    if (!ReadSignedField(q, nId)) nId = ARK_RICH_NO_LINK;
    if (*q == ',' || *q == '$') {
        ++q;
        if (!ReadSignedField(q, nP1)) nP1 = 1;
        if (*q == ',' || *q == '$') {
            ++q;
            if (!ReadSignedField(q, nP2)) nP2 = 0;
        }
    }
    // Fields that do not read end at the ")" all the same; without one only what was read goes.
    if (*q != ')') {
        const char* pClose = std::strchr(q, ')');
        if (pClose && (!m_pEnd || pClose < m_pEnd)) q = pClose;
    }
    if (*q == ')') ++q;
    SetLink(nId, nP1, nP2);
    return static_cast<int>(q - p);
}

const char* CArkRichText::FindTerminator(int nSlot, const char* pFrom, const char* szNeedle) {
    TerminatorSeen& seen = m_aSeen[nSlot];
    const bool bKnown = seen.pFrom && seen.pFrom <= pFrom && (!seen.pFound || seen.pFound >= pFrom);
    if (!bKnown) {
        const char* pLast = m_pEnd ? m_pEnd : pFrom + std::strlen(pFrom);
        seen.pFrom = pFrom;
        seen.pFound = std::search(pFrom, pLast, szNeedle, szNeedle + std::strlen(szNeedle));
        if (seen.pFound == pLast) seen.pFound = nullptr;
    }
    return seen.pFound;
}

// The codes match as the anchored, non-greedy expressions
//   #I "^([0-9]{3})(.*?)(#I)"   #X "^([0-9]{3})(.*?)(#X)"   #Z "^([0-9]{3})(.*?)(#Z)"
//   #O "^([0-9]{3})(.*?)(@@@)(.*?)(#c\(-1\)#O)"   #p "^(id[0-9]+x[0-9]+y[0-9]+)(.*?)(#c\(-1\)#p)"
// would: the first terminator after the head ends the text, and a code matches when its terminators
// lie ahead at all. They are matched by hand over the terminator positions found so far, so that
// thousands of codes sharing one distant terminator cost one scan of the text, not one each.
int CArkRichText::ParseRegexCode(IArkRichOwner* pOwner, const char* p) {
    const char cCode = *p;
    const char* pFirst = p + 1;
    const char* pLast = m_pEnd && m_pEnd >= pFirst ? m_pEnd : pFirst + std::strlen(pFirst);
    // What was seen belongs to the string ParseText is working on; a code parsed on its own starts afresh.
    if (!m_pEnd) {
        for (TerminatorSeen& seen : m_aSeen) seen = TerminatorSeen();
    }
    const char* pHeadEnd = nullptr;  // the end of group 1
    const char* pDataEnd = nullptr;  // the end of group 2, where its terminator starts
    size_t uTerminator = 0;          // the length of group 3
    if (cCode == 'p') {
        pHeadEnd = MatchPosition(pFirst, pLast);
        if (pHeadEnd && FindTerminator(5, pHeadEnd, "#c(-1)#p")) pDataEnd = pHeadEnd;
    } else if (IsDigits(pFirst, pLast, 3)) {
        pHeadEnd = pFirst + 3;
        switch (cCode) {
            case 'I': pDataEnd = FindTerminator(0, pHeadEnd, "#I"); uTerminator = 2; break;
            case 'X': pDataEnd = FindTerminator(1, pHeadEnd, "#X"); uTerminator = 2; break;
            case 'Z': pDataEnd = FindTerminator(2, pHeadEnd, "#Z"); uTerminator = 2; break;
            default: {
                const char* pAt = FindTerminator(3, pHeadEnd, "@@@");
                if (pAt && FindTerminator(4, pAt + 3, "#c(-1)#O")) pDataEnd = pAt;
                uTerminator = 3;
                break;
            }
        }
    }
    if (!pDataEnd) {
        if (cCode == 'O' || cCode == 'p') Change(m_style.bUnderline, !m_style.bUnderline);
        return 1;
    }
    const std::string strFirst(pFirst, pHeadEnd);
    const std::string strData(pHeadEnd, pDataEnd);
    const int nJoined = static_cast<int>(pDataEnd - pFirst) + static_cast<int>(uTerminator);
    int nNumber = 0;
    if (cCode != 'p') boost::conversion::try_lexical_convert(strFirst, nNumber);
    switch (cCode) {
        case 'I': {
            auto pIcon = std::make_unique<CClickedIcon>(nNumber);
            pIcon->nLinkId = RegisterLink(nNumber, strData);
            AddIconAtom(pOwner, std::move(pIcon), nNumber);
            return 1 + nJoined;
        }
        case 'X':
        case 'Z': {
            auto pBtn = std::make_unique<CBtn>(nNumber);
            pBtn->nLinkId = RegisterLink(nNumber, cCode == 'X' ? strData : "#Z" + strFirst + strData + "#Z");
            AddIconAtom(pOwner, std::move(pBtn), nNumber);
            return 1 + nJoined;
        }
        case 'O':
            Change(m_style.bUnderline, !m_style.bUnderline);
            Change(m_nLinkId, RegisterLink(nNumber, strData));
            return 1 + nJoined;
        default:
            Change(m_style.bUnderline, !m_style.bUnderline);
            Change(m_nLinkId, RegisterLink(0, strFirst));
            return 1 + static_cast<int>(strFirst.size());
    }
}

}  // namespace ArkGui
