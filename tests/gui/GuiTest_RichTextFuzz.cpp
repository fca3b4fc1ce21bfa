// Generated markup of every kind of damage never crashes, hangs or leaves a split character in a run.
#include "GuiTest_RichText.h"

#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

#include <cstring>
#include <random>

namespace {

using ArkGuiTest::RichLayout;

// Checks what must hold for any input: the consumed length, whole characters in every run, sane
// boxes and registered links for icons and buttons.
void CheckLayout(const std::string& strInput, uint32_t uFlags) {
    RichLayout r(200, 12, uFlags);
    const int nConsumed = r.Layout(strInput.c_str());
    const int nLength = static_cast<int>(std::strlen(strInput.c_str()));
    ASSERT_GE(nConsumed, 0);
    ASSERT_LE(nConsumed, nLength);
    for (const auto& p : r.text.GetAtoms()) {
        ASSERT_GE(p->nWidth, 0);
        if (p->eKind == ArkGui::ArkAtomKind::Text) {
            const std::string& s = p->strText;
            ASSERT_FALSE(s.empty());
            size_t i = 0;
            while (i < s.size()) i += static_cast<uint8_t>(s[i]) >= 0x80 ? 2 : 1;
            ASSERT_EQ(i, s.size()) << "a split character in a run of " << strInput.size() << " bytes";
        } else if (p->eKind != ArkGui::ArkAtomKind::Icon) {
            int nType = 0;
            std::string strData;
            ASSERT_TRUE(r.text.FindLink(p->nLinkId, nType, strData));
        }
    }
}

// Bottom-aligned runs write a log line each: keep them in a scratch log, off the console.
class RichTextFuzz : public ::testing::Test {
    ScopedTempDir m_dir{true};
    ScopedLoggerReset m_reset;
};

TEST_F(RichTextFuzz, RandomMarkupIsAlwaysLaidOut) {
    // Pieces weighted towards codes, their arguments and the bytes that end them.
    const std::vector<std::string> vecPieces = {
        "#", "##", "#c", "#c(", "#E(", "#e(", "#I", "#X", "#Z", "#O", "#p", "#P", "#P+", "#P-", "#S+", "#S-",
        "#F", "#L", "#l", "#U", "#r", "#n", "#u", "#b", "#d", "#f", "#A", "#AlignRight", "#AlignBottom",
        "#AlignYCenter", "#G(1)", "#c(-1)#O", "#c(-1)#p", "@@@", "id1x2y3", "(", ")", ",", "$", "-", "0", "9",
        "123", "FF", "a", " ", "\r", "\n", "\t", "\xB0", "\xA1\xA1", "\xD6\xD0", "\x81", "\xFE", "\x80", "\xFF",
    };
    std::mt19937 rng(20261205u);
    std::uniform_int_distribution<size_t> pickPiece(0, vecPieces.size() - 1);
    std::uniform_int_distribution<int> pickCount(0, 80);
    std::uniform_int_distribution<int> pickByte(1, 255);
    for (int nCase = 0; nCase < 1500; ++nCase) {
        std::string s;
        const int nPieces = pickCount(rng);
        for (int i = 0; i < nPieces; ++i) {
            if (i % 7 == 3) {
                s += static_cast<char>(pickByte(rng));
            } else {
                s += vecPieces[pickPiece(rng)];
            }
        }
        const uint32_t uFlags = static_cast<uint32_t>(rng()) & 0x7FEu;
        CheckLayout(s, uFlags);
        if (HasFatalFailure()) return;
    }
}

TEST_F(RichTextFuzz, LongHostileRunsStayCheap) {
    const std::vector<std::string> vecCases = {
        std::string(10000, '#'),
        std::string(10000, '#') + "I",
        [] { std::string s; for (int i = 0; i < 2000; ++i) s += "#O001@@@"; return s; }(),
        [] { std::string s; for (int i = 0; i < 2000; ++i) s += "#I001x"; return s; }(),
        [] { std::string s; for (int i = 0; i < 2000; ++i) s += "#pid1x2y3"; return s; }(),
        [] { std::string s; for (int i = 0; i < 3000; ++i) s += "#P+a"; return s; }(),
        [] { std::string s; for (int i = 0; i < 3000; ++i) s += "#S+#R"; return s; }(),
        [] { std::string s; for (int i = 0; i < 3000; ++i) s += "((((#c(" ; return s; }(),
        "#c(99999999999999999999999999,99999999999,-99999999999)x#c(--5)#c(+)",
        "#U999#AlignRight" + std::string(5000, 'x'),
        std::string(5000, '\xB0'),
        "#O001" + std::string(4000, '@') + "#c(-1)#O",
        "#I001" + std::string(3000, '\n') + "#I",
    };
    for (const std::string& s : vecCases) {
        CheckLayout(s, 0);
        CheckLayout(s, 0x3FEu);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
