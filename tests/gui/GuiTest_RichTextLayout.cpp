// Placing characters and icons: wrapping, advances, right-to-left insertion, line breaks, the line
// flags, vertical alignment, blocks and spacing codes.
#include "GuiTest_RichText.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

#include <filesystem>

namespace {

using ArkGui::ArkRichFlag;
using ArkGuiTest::RichLayout;

TEST(RichTextLayout, WrapsOneCharacterAtATimeAtTheExactPixel) {
    RichLayout a(100, 12);
    a.Layout("01234567890123456789");
    ASSERT_EQ(a.Count(), 2u);
    EXPECT_EQ(a.Atom(0).strText, "0123456789012345");  // 16 x 6 = 96; the 17th would reach 102
    EXPECT_EQ(a.Atom(0).nWidth, 96);
    EXPECT_FALSE(a.Atom(0).bAfterWrap);
    EXPECT_EQ(a.Atom(1).strText, "6789");
    EXPECT_TRUE(a.Atom(1).bAfterWrap);
    EXPECT_EQ(a.Atom(1).nX, 0);
    EXPECT_EQ(a.Atom(1).nY, 12);
    EXPECT_EQ(a.Atom(1).nLine, 1);
    EXPECT_EQ(a.text.GetContentWidth(), 96);
    EXPECT_EQ(a.text.GetContentHeight(), 24);

    // Exactly the width still fits; double-byte characters take the whole advance.
    RichLayout b(96, 12);
    b.Layout("0123456789012345中文x");
    ASSERT_EQ(b.Count(), 2u);
    EXPECT_EQ(b.Atom(0).nWidth, 96);
    EXPECT_EQ(b.Atom(1).strText, "中文x");
    EXPECT_EQ(b.Atom(1).nWidth, 30);

    // No word wrapping, and the first character of a line is placed even when it is too wide.
    RichLayout c(5, 12);
    c.Layout("ab中");
    ASSERT_EQ(c.Count(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(c.Atom(i).nX, 0);
        EXPECT_EQ(c.Atom(i).nLine, static_cast<int>(i));
    }
    EXPECT_EQ(c.Atom(2).nWidth, 12);

    // Text after an icon wraps too, and an icon that does not fit starts a line.
    RichLayout d(40, 12);
    d.Layout("#1abcdefg#2");
    ASSERT_EQ(d.Count(), 4u);
    EXPECT_EQ(d.Atom(1).strText, "abcd");  // 16 + 4 x 6 = 40
    EXPECT_EQ(d.Atom(2).strText, "efg");
    EXPECT_EQ(d.Atom(3).nX, 18);
    EXPECT_EQ(d.Atom(3).nLine, 1);
    EXPECT_FALSE(d.Atom(3).bAfterWrap);
    EXPECT_EQ(d.text.ParseCode(&d.owner, "1"), 1);
    EXPECT_EQ(d.Atom(4).nLine, 2);
    EXPECT_TRUE(d.Atom(4).bAfterWrap);  // the icon that broke the line is the first atom after a wrap
    EXPECT_FALSE(d.Atom(0).bAfterWrap);
}

TEST(RichTextLayout, MeasuredAdvancesComeFromTheOwnerExceptForSpaces) {
    struct WideOwner : ArkGui::CArkRichFixedOwner {
        std::vector<uint32_t> vecAsked;
        int MeasureChar(const ArkGui::ArkRichFont&, uint32_t uChar) override {
            vecAsked.push_back(uChar);
            return 9;
        }
    } owner;
    ArkGui::CArkRichText text;
    text.SetFont("", 12, 12, true);
    text.ParseText(&owner, "a b中");
    ASSERT_EQ(text.GetAtoms().size(), 1u);
    EXPECT_EQ(text.GetAtoms()[0]->nWidth, 9 + 6 + 9 + 9);
    const uint32_t uZhong = 0xD6u | (0xD0u << 8);  // lead byte + trail byte x 256
    EXPECT_EQ(owner.vecAsked, (std::vector<uint32_t>{'a', 'b', uZhong}));
}

TEST(RichTextLayout, RightToLeftInsertion) {
    RichLayout a;
    a.Layout("#AlignRightabc");  // the content width is still 0: nothing fits
    EXPECT_EQ(a.Count(), 0u);

    // The inserted text grows leftwards from the right edge and keeps its reading order, across runs.
    RichLayout b;
    b.Layout("#U300#AlignRightab#Rcd");
    ASSERT_EQ(b.Count(), 2u);
    EXPECT_EQ(b.Atom(0).strText, "ab");
    EXPECT_EQ(b.Atom(0).nX, 276);
    EXPECT_EQ(b.Atom(0).nWidth, 12);
    EXPECT_EQ(b.Atom(1).strText, "cd");
    EXPECT_EQ(b.Atom(1).nX, 288);
    EXPECT_EQ(b.Atom(1).nX + b.Atom(1).nWidth, 300);

    // Characters that would reach the left edge are dropped; the line never breaks.
    RichLayout c;
    c.Layout("#U30#AlignRight0123456789");
    ASSERT_EQ(c.Count(), 1u);
    EXPECT_EQ(c.Atom(0).strText, "0123");
    EXPECT_EQ(c.Atom(0).nX, 6);
    EXPECT_EQ(c.text.GetLineCount(), 1);

    // A line break returns to left to right.
    RichLayout d;
    d.Layout("#U50#AlignRightx#ry");
    ASSERT_EQ(d.Count(), 2u);
    EXPECT_EQ(d.Atom(1).nX, 0);
    EXPECT_EQ(d.Atom(1).nY, 12);
}

TEST(RichTextLayout, LineBreaksIndentsAndSpacing) {
    RichLayout lf;
    lf.Layout("ab\ncd\rx");
    RichLayout code;
    code.Layout("ab#rcd\rx");
    ASSERT_EQ(lf.Count(), 2u);
    ASSERT_EQ(code.Count(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(lf.Atom(i).nX, code.Atom(i).nX);
        EXPECT_EQ(lf.Atom(i).nY, code.Atom(i).nY);
        EXPECT_EQ(lf.Atom(i).strText, code.Atom(i).strText);
    }
    EXPECT_EQ(lf.Atom(1).strText, "cd\rx");  // CR is an ordinary character
    EXPECT_EQ(lf.Atom(1).nWidth, 24);

    // #r makes the line at least as high as the owner's font; #l adds spacing; #L sets the height.
    RichLayout s;
    s.owner.nFontHeight = 20;
    s.Layout("#r#l4a#rb#L30c");
    ASSERT_EQ(s.Count(), 3u);
    EXPECT_EQ(s.Atom(0).nY, 20 + 4);            // below a 20-high empty line, centred in a 20-high line
    EXPECT_EQ(s.Atom(1).nY, 44 + 7);            // spacing 4 after a's line; centred in 30 - 4 = 26
    EXPECT_EQ(s.Atom(2).nY, 44 + 26 + 4);

    // Paragraph indent after an explicit break, not after a wrap; #AlignLeft cancels it.
    RichLayout p(60, 12);
    p.text.SetParagraphIndent(4);
    p.Layout("a#rbcdefghijklm#rn#r#AlignLefto");
    ASSERT_EQ(p.Count(), 5u);
    EXPECT_EQ(p.Atom(1).nX, 24);  // 12 x 4 / 2
    EXPECT_EQ(p.Atom(1).strText, "bcdefg");
    EXPECT_EQ(p.Atom(2).nX, 0);
    EXPECT_EQ(p.Atom(3).nX, 24);
    EXPECT_EQ(p.Atom(4).nX, 0);

    // #U sets the wrap width and the content width.
    RichLayout u;
    u.Layout("#U050abcdefghij");
    EXPECT_EQ(u.text.GetWrapWidth(), 50);
    EXPECT_EQ(u.Atom(0).strText, "abcdefgh");
}

TEST(RichTextLayout, LineFlagsPlaceFinishedLines) {
    RichLayout centre(100, 12, ArkRichFlag(1));
    centre.Layout("abcd#refgh");
    EXPECT_EQ(centre.Atom(0).nX, 38);  // (100 - 24) / 2
    EXPECT_EQ(centre.Atom(1).nX, 38);

    RichLayout right(100, 12);
    right.Layout("ab#P2#1#rcd");
    EXPECT_EQ(right.Atom(0).nX, 100 - 28);
    EXPECT_EQ(right.Atom(1).nX, 100 - 16);
    EXPECT_EQ(right.Atom(2).nX, 88);

    // #f finishes the line without a break; finishing again gives the same place.
    RichLayout f(100, 12, ArkRichFlag(2));
    f.Parse("ab#f");
    EXPECT_EQ(f.Atom(0).nX, 88);
    f.Layout("cd");
    EXPECT_EQ(f.Atom(0).nX, 76);

    // Flag 3: from the owner's right edge, 42 apart, in 40-pixel lines.
    RichLayout row(300, 12, ArkRichFlag(3));
    row.owner.nOwnerWidth = 500;
    row.Layout("#1#2#3");
    ASSERT_EQ(row.Count(), 3u);
    EXPECT_EQ(row.Atom(2).nX, 500 + (40 - 16) / 2 - 40);
    EXPECT_EQ(row.Atom(1).nX, row.Atom(2).nX - 42);
    EXPECT_EQ(row.Atom(0).nX, row.Atom(2).nX - 84);
    EXPECT_EQ(row.text.GetLineHeight(), 40);
    EXPECT_EQ(row.Atom(0).nY, 12);  // centred: (40 - 16) / 2
}

TEST(RichTextLayout, VerticalPlacementInTheLine) {
    RichLayout mid;
    mid.Layout("a#1b");
    EXPECT_EQ(mid.Atom(0).nY, 2);  // centred in the 16-pixel line of the icon
    EXPECT_EQ(mid.Atom(1).nY, 0);
    EXPECT_EQ(mid.Atom(0).nBottom, 16);

    RichLayout top(300, 12, ArkRichFlag(6));
    top.Layout("a#1b");
    EXPECT_EQ(top.Atom(0).nY, 0);

    RichLayout bottom(300, 12, ArkRichFlag(9));
    bottom.Layout("a#1b");
    EXPECT_EQ(bottom.Atom(0).nY, 4);
    RichLayout small(300, 12, ArkRichFlag(9));
    small.owner.nSmallIconSize = 10;
    small.Layout("#1#901");
    EXPECT_EQ(small.text.GetLineHeight(), 12);  // small icons make the line 12 high
    EXPECT_EQ(small.Atom(1).nY, 12 - 10 - 3);   // and sit 3 pixels higher

    // A run's own alignment keeps its place; bottom alignment also writes a log line.
    ScopedTempDir dir(true);
    ScopedLogCapture log;
    log.ExpectError("ArkGui::CArkRichText::ModifyPosByLineYAlign -4");
    RichLayout own;
    own.Layout("#1#AlignBottomb#AlignYCenter中#AlignTopc");
    EXPECT_EQ(own.Atom(1).nY, 4);
    EXPECT_EQ(own.Atom(2).nY, 2);
    EXPECT_EQ(own.Atom(3).nY, 2);  // top-aligned runs follow the line's rule (centred)
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST(RichTextLayout, BlocksReturnToTheirFirstLine) {
    RichLayout a;
    a.Layout("ab#P+cd#refgh#rx#P-ij#rk");
    ASSERT_EQ(a.Count(), 5u);
    EXPECT_EQ(a.Atom(0).strText, "abcd");
    // The block's lines start at the pushed x.
    EXPECT_EQ(a.Atom(1).strText, "efgh");
    EXPECT_EQ(a.Atom(1).nX, 12);
    EXPECT_EQ(a.Atom(1).nY, 12);
    EXPECT_EQ(a.Atom(2).nX, 12);
    EXPECT_EQ(a.Atom(2).nY, 24);
    // After the block: back on its first line, right of its widest line; that line keeps its place
    // above the block's second line rather than sinking into it.
    EXPECT_EQ(a.Atom(3).strText, "ij");
    EXPECT_EQ(a.Atom(3).nX, 12 + 24);
    EXPECT_EQ(a.Atom(3).nLine, 2);
    EXPECT_EQ(a.Atom(3).nY, 0);
    EXPECT_EQ(a.Atom(0).nY, 0);
    EXPECT_LE(a.Atom(0).nY + a.Atom(0).nHeight, a.Atom(1).nY);
    // The next line starts below the deepest point of the block.
    EXPECT_EQ(a.Atom(4).strText, "k");
    EXPECT_EQ(a.Atom(4).nY, 36);
    EXPECT_EQ(a.Atom(4).nX, 0);

    // An unmatched close does nothing.
    RichLayout b;
    b.Layout("a#P-b");
    EXPECT_EQ(b.Shown(), "ab");
    EXPECT_EQ(b.text.GetPenY(), 0);
}

}  // namespace
