// The terminated link codes (#I, #X, #Z, #O, #p) against the anchored, non-greedy expressions that
// define them, on random texts: one code alone, and many codes sharing terminators in one text.
#include "GuiTest_RichText.h"

#include <boost/regex.hpp>

#include <random>

namespace {

using ArkGuiTest::RichLayout;

const boost::regex& Pattern(char cCode) {
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

// What the expression says about a code whose letter is at p: the bytes consumed after the '#', and
// the link (type, data) it registers when it matches.
struct Expected {
    int nConsumed = 1;
    bool bLink = false;
    int nType = 0;
    std::string strData;
};

Expected Expect(const char* p, const char* pEnd) {
    Expected e;
    const char cCode = *p;
    boost::cmatch m;
    if (!boost::regex_search(p + 1, pEnd, m, Pattern(cCode), boost::match_continuous)) return e;
    e.bLink = true;
    if (cCode == 'p') {
        e.nConsumed = 1 + static_cast<int>(m[1].length());
        e.strData = m[1].str();
        return e;
    }
    e.nConsumed = 1 + static_cast<int>(m[1].length() + m[2].length() + m[3].length());
    e.nType = std::stoi(m[1].str());
    e.strData = cCode == 'Z' ? "#Z" + m[1].str() + m[2].str() + "#Z" : m[2].str();
    return e;
}

// Texts built from the pieces the codes are made of, so that matches and near misses are common.
std::string RandomText(std::mt19937& rng, int nPieces) {
    static const char* const kPieces[] = {"#I", "#X", "#Z", "#O", "#p", "@@@", "@", "#c(-1)#O", "#c(-1)#p", "#c(-1)",
                                          "123", "7", "id1x2y3", "id12x3y", "x", "y", "a", "\n", "\xb0\xa1"};
    std::uniform_int_distribution<size_t> pick(0, sizeof(kPieces) / sizeof(kPieces[0]) - 1);
    std::string s;
    for (int i = 0; i < nPieces; ++i) s += kPieces[pick(rng)];
    return s;
}

TEST(RichTextLinkCodes, ACodeAloneMatchesAsItsExpression) {
    std::mt19937 rng(1234);
    for (int nRound = 0; nRound < 3000; ++nRound) {
        const char cCode = "IXZOp"[nRound % 5];
        const std::string strCode = std::string(1, cCode) + RandomText(rng, 1 + nRound % 12);
        const Expected e = Expect(strCode.c_str(), strCode.c_str() + strCode.size());
        RichLayout layout;
        ASSERT_EQ(layout.text.ParseCode(&layout.owner, strCode.c_str()), e.nConsumed) << strCode;
        ASSERT_EQ(layout.text.GetLinkCount(), e.bLink ? 1u : 0u) << strCode;
        int nType = -1;
        std::string strData;
        if (e.bLink && layout.text.FindLink(1, nType, strData)) {
            EXPECT_EQ(nType, e.nType) << strCode;
            EXPECT_EQ(strData, e.strData) << strCode;
        }
    }
}

// Walks a text the way the markup scanner does, for texts whose only codes are the link codes and
// "#c(-1)", and lists the links their expressions register, in order.
std::vector<std::pair<int, std::string>> ExpectedLinks(const std::string& s) {
    std::vector<std::pair<int, std::string>> vec;
    const char* pEnd = s.c_str() + s.size();
    for (const char* p = s.c_str(); p < pEnd;) {
        if (*p != '#') {
            p += static_cast<unsigned char>(*p) >= 0x80 ? 2 : 1;
            continue;
        }
        if (p + 1 >= pEnd) break;
        if (p[1] == 'c') {
            p += 1 + 5;  // "c(-1)"
            continue;
        }
        const Expected e = Expect(p + 1, pEnd);
        if (e.bLink) vec.emplace_back(e.nType, e.strData);
        p += 1 + e.nConsumed;
    }
    return vec;
}

TEST(RichTextLinkCodes, CodesSharingTerminatorsInOneTextMatchAsTheirExpressions) {
    std::mt19937 rng(99);
    for (int nRound = 0; nRound < 400; ++nRound) {
        const std::string strText = RandomText(rng, 20 + nRound % 60);
        RichLayout layout(100000);
        layout.Parse(strText.c_str());
        const auto vecExpected = ExpectedLinks(strText);
        ASSERT_EQ(layout.text.GetLinkCount(), vecExpected.size()) << strText;
        for (size_t i = 0; i < vecExpected.size(); ++i) {
            int nType = -1;
            std::string strData;
            ASSERT_TRUE(layout.text.FindLink(static_cast<int64_t>(i) + 1, nType, strData));
            EXPECT_EQ(nType, vecExpected[i].first) << strText;
            EXPECT_EQ(strData, vecExpected[i].second) << strText;
        }
    }
}

}  // namespace
