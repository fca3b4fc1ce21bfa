// CArkRichText: the link codes: #c( text links, and #I, #X, #Z, #O and #p recognised by anchored
// regular expressions.
#include "KX_GUI/ArkRichText.h"

#include <boost/lexical_cast.hpp>
#include <boost/regex.hpp>

#include <algorithm>
#include <cstring>
#include <exception>

#include "KX_Kernal/logger/KXKernal_Logger.h"

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

const boost::regex& CodePattern(char cCode) {
    static const boost::regex kIcon("^([0-9]{3})(.*?)(#I)");
    static const boost::regex kButton("^([0-9]{3})(.*?)(#X)");
    static const boost::regex kCodeButton("^([0-9]{3})(.*?)(#Z)");
    static const boost::regex kTextLink("^([0-9]{3})(.*?)(@@@)(.*?)(#c\\(-1\\)#O)");
    static const boost::regex kPosLink("^(id[0-9]+x[0-9]+y[0-9]+)(.*?)(#c\\(-1\\)#p)");
    switch (cCode) {
        case 'I': return kIcon;
        case 'X': return kButton;
        case 'Z': return kCodeButton;
        case 'O': return kTextLink;
        default: return kPosLink;
    }
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

int CArkRichText::ParseRegexCode(IArkRichOwner* pOwner, const char* p) {
    const char cCode = *p;
    const char* pFirst = p + 1;
    const char* pLast = m_pEnd && m_pEnd >= pFirst ? m_pEnd : pFirst + std::strlen(pFirst);
    // What was seen belongs to the string ParseText is working on; a code parsed on its own starts afresh.
    if (!m_pEnd) {
        for (TerminatorSeen& seen : m_aSeen) seen = TerminatorSeen();
    }
    // The expressions only run when their terminators lie ahead: a failing non-greedy search over a
    // long text costs far more than a successful one.
    bool bPossible = false;
    switch (cCode) {
        case 'I': bPossible = FindTerminator(0, pFirst, "#I") != nullptr; break;
        case 'X': bPossible = FindTerminator(1, pFirst, "#X") != nullptr; break;
        case 'Z': bPossible = FindTerminator(2, pFirst, "#Z") != nullptr; break;
        case 'O': {
            const char* pAt = FindTerminator(3, pFirst, "@@@");
            bPossible = pAt && FindTerminator(4, pAt, "#c(-1)#O") != nullptr;
            break;
        }
        default: bPossible = FindTerminator(5, pFirst, "#c(-1)#p") != nullptr; break;
    }
    boost::cmatch match;
    bool bMatched = false;
    try {
        bMatched = bPossible && boost::regex_search(pFirst, pLast, match, CodePattern(cCode), boost::match_continuous);
    } catch (const std::exception& e) {
        // The patterns are anchored and simple; a failure here is a resource limit of the engine.
        ArkLog(WL_ERROR, M_UI, "%s %s", "ArkGui::CArkRichText::ParseCode", e.what());
        bMatched = false;
    }
    if (!bMatched) {
        if (cCode == 'O' || cCode == 'p') Change(m_style.bUnderline, !m_style.bUnderline);
        return 1;
    }
    const std::string strFirst = match[1].str();
    const std::string strData = match[2].str();
    const int nJoined = static_cast<int>(match[1].length() + match[2].length() + match[3].length());
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
            return 1 + static_cast<int>(match[1].length());
    }
}

}  // namespace ArkGui
