// The markup codes: what is shown as text, colours, links, fonts, the regular-expression codes and the
// style stack.
#include "GuiTest_RichText.h"

namespace {

using ArkGui::ArkAtomKind;
using ArkGuiTest::RichLayout;

TEST(RichTextParse, PlainTextEscapesUnknownCodesAndCutEnds) {
    RichLayout a;
    EXPECT_EQ(a.Parse("a##b"), 4);
    EXPECT_EQ(a.Shown(), "a#b");

    RichLayout b;
    b.Parse("#Qx#?y");
    EXPECT_EQ(b.Shown(), "Qx?y");

    RichLayout c;
    EXPECT_EQ(c.Parse("abc#"), 3);  // the '#' at the end is dropped, unconsumed
    EXPECT_EQ(c.Shown(), "abc");

    RichLayout d;
    EXPECT_EQ(d.Parse("ab\xB0"), 2);  // a lead byte without its trail byte
    EXPECT_EQ(d.Shown(), "ab");
    EXPECT_EQ(d.text.ParseCode(&d.owner, ""), -1);
    EXPECT_EQ(d.text.ParseCode(&d.owner, "Q"), 0);

    RichLayout e;
    EXPECT_EQ(e.Parse(""), 0);
    EXPECT_EQ(e.Count(), 0u);
}

TEST(RichTextParse, NamedColoursAndTheStyleReset) {
    RichLayout a;
    a.Parse("#Rx#ny");
    ASSERT_EQ(a.Count(), 2u);
    EXPECT_EQ(a.Run(0).uColour, 0xFFFF0000u);
    EXPECT_EQ(a.Run(1).uColour, ArkGui::ARK_RICH_DEFAULT_COLOUR);

    RichLayout b;
    b.Parse("#R#bx#ny");
    ASSERT_EQ(b.Count(), 2u);
    EXPECT_TRUE(b.Run(0).bBlink);
    EXPECT_FALSE(b.Run(1).bBlink);

    // (1) picks the second colour; any other (x) stays text.
    RichLayout c;
    c.Parse("#Ga#G(1)b#G(2)c#V(1)d");
    EXPECT_EQ(c.Runs(), (std::vector<std::string>{"a", "b", "(2)c", "d"}));
    EXPECT_EQ(c.Run(0).uColour, 0xFF238E23u);
    EXPECT_EQ(c.Run(1).uColour, 0xFF6CEE30u);
    EXPECT_EQ(c.Run(2).uColour, 0xFF238E23u);
    EXPECT_EQ(c.Run(3).uColour, 0xFFFF66CCu);

    // #A is a colour unless it spells one of the alignment words; the rest of the word is text.
    RichLayout d;
    d.Parse("#Alpha#AlignYCenterz");
    EXPECT_EQ(d.Runs(), (std::vector<std::string>{"lpha", "z"}));
    EXPECT_EQ(d.Run(0).uColour, 0xFF9CF46Cu);
    EXPECT_EQ(d.Run(1).nVAlign, 1);

    // Setting the colour it already has does not start a new run.
    RichLayout e;
    e.Parse("#Rab#Rcd#W#Rxy");
    EXPECT_EQ(e.Runs(), (std::vector<std::string>{"abcd", "xy"}));
}

TEST(RichTextParse, HexColoursAndTheirAlpha) {
    RichLayout a;
    a.Parse("#c00FF00x#c8000FF00y#c1234567z#cF0w#c");
    ASSERT_EQ(a.Count(), 4u);
    EXPECT_EQ(a.Run(0).uColour, 0xFF00FF00u);
    EXPECT_EQ(a.Run(1).uColour, 0x8000FF00u);
    EXPECT_EQ(a.Run(2).uColour, 0x01234567u);  // seven digits: taken as they are
    EXPECT_EQ(a.Run(3).uColour, 0xFF0000F0u);

    RichLayout b;
    EXPECT_EQ(b.text.ParseCode(&b.owner, "EFF102030x"), 9);
    EXPECT_EQ(b.text.GetStyle().uBack, 0xFF102030u);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "E(80FF0000)x"), 11);
    EXPECT_EQ(b.text.GetStyle().uHoverBack, 0x80FF0000u);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "E(12x"), 4);  // no ')'
    EXPECT_EQ(b.text.GetStyle().uHoverBack, 0x12u);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "E()"), 3);
    EXPECT_EQ(b.text.GetStyle().uHoverBack, 0u);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "eFF00FF00"), 9);
    EXPECT_EQ(b.text.GetStyle().uEdge, 0xFF00FF00u);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "e(FFFFFF00)"), 11);
    EXPECT_EQ(b.text.GetStyle().uHoverText, 0xFFFFFF00u);

    // #n clears the background but keeps edge and hover colours.
    b.Parse("#nq");
    EXPECT_EQ(b.Run(0).uBack, 0u);
    EXPECT_EQ(b.Run(0).uEdge, 0xFF00FF00u);
}

TEST(RichTextParse, TextLinkForms) {
    RichLayout a;
    EXPECT_EQ(a.text.ParseCode(&a.owner, "c(12,3)tail"), 7);
    EXPECT_EQ(a.text.GetLinkId(), 12);
    a.Parse("x");
    EXPECT_EQ(a.Run(0).nLinkParam1, 3);
    EXPECT_EQ(a.Run(0).nLinkParam2, 0);

    a.Parse("#c(-9$2$7)y#c()z#c(5,,4)w#c(-1)v#c(8");
    ASSERT_EQ(a.Count(), 5u);
    EXPECT_EQ(a.Run(1).nLinkId, -9);
    EXPECT_EQ(a.Run(1).nLinkParam1, 2);
    EXPECT_EQ(a.Run(1).nLinkParam2, 7);
    EXPECT_EQ(a.Run(2).nLinkId, -1);
    EXPECT_EQ(a.Run(2).nLinkParam1, 1);
    EXPECT_EQ(a.Run(3).nLinkId, 5);
    EXPECT_EQ(a.Run(3).nLinkParam1, 1);  // empty: the default
    EXPECT_EQ(a.Run(3).nLinkParam2, 4);
    EXPECT_EQ(a.Run(4).nLinkId, -1);
    EXPECT_EQ(a.text.GetLinkId(), 8);  // the missing ')' at the end is tolerated

    RichLayout b;
    EXPECT_EQ(b.text.ParseCode(&b.owner, "c(123456789012)"), 15);
    EXPECT_EQ(b.text.GetLinkId(), 123456789012);  // link ids are 64-bit
    EXPECT_EQ(b.text.ParseCode(&b.owner, "c(abc)"), 6);  // no digits: no link, up to the ")" all the same
    EXPECT_EQ(b.text.GetLinkId(), -1);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "c(5,x)y"), 6);
    EXPECT_EQ(b.text.GetLinkId(), 5);
    EXPECT_EQ(b.text.ParseCode(&b.owner, "c(9"), 3);  // no ")": what was read
    RichLayout c;
    c.Parse("#c(abc)xyz");
    EXPECT_EQ(c.Shown(), "xyz");
}

TEST(RichTextParse, ClickableIconsAndButtons) {
    RichLayout a;
    EXPECT_EQ(a.text.ParseCode(&a.owner, "I005hello#Irest"), 11);
    ASSERT_EQ(a.Count(), 1u);
    EXPECT_EQ(a.Atom(0).eKind, ArkAtomKind::ClickedIcon);
    EXPECT_EQ(static_cast<const ArkGui::CIcon&>(a.Atom(0)).nIcon, 5);
    int nType = 0;
    std::string strData;
    ASSERT_TRUE(a.text.FindLink(a.Atom(0).nLinkId, nType, strData));
    EXPECT_EQ(nType, 5);
    EXPECT_EQ(strData, "hello");
    EXPECT_EQ(a.Atom(0).nLinkParam1, 1);
    EXPECT_EQ(a.Atom(0).strText, "#5");

    // Fewer than three digits: the code does nothing and its text shows.
    RichLayout b;
    b.Parse("#I5x#I");
    EXPECT_EQ(b.Shown(), "5x");
    EXPECT_EQ(b.Count(), 1u);

    // The first terminator ends the match; buttons carry their own links, #Z the code itself.
    RichLayout c;
    c.Parse("#I001a#Ib#I#X012go#X#Z345stop#Z#901");
    ASSERT_EQ(c.Count(), 5u);
    EXPECT_EQ(c.Atom(1).strText, "b");
    EXPECT_EQ(c.Atom(2).eKind, ArkAtomKind::Btn);
    EXPECT_EQ(c.Atom(3).eKind, ArkAtomKind::Btn);
    EXPECT_EQ(c.Atom(4).eKind, ArkAtomKind::Icon);
    EXPECT_EQ(c.Atom(4).strText, "");  // small icons carry no text
    ASSERT_TRUE(c.text.FindLink(c.Atom(2).nLinkId, nType, strData));
    EXPECT_EQ(nType, 12);
    EXPECT_EQ(strData, "go");
    ASSERT_TRUE(c.text.FindLink(c.Atom(3).nLinkId, nType, strData));
    EXPECT_EQ(nType, 345);
    EXPECT_EQ(strData, "#Z345stop#Z");
    EXPECT_EQ(c.text.GetLinkCount(), 3u);
    EXPECT_EQ(c.Atom(0).nLinkId, 1);  // ids count up from 1
    EXPECT_EQ(c.Atom(3).nLinkId, 3);

    // Plain icons take the text link in force.
    RichLayout d;
    d.Parse("#c(44)#7#c(-1)#8");
    EXPECT_EQ(d.Atom(0).nLinkId, 44);
    EXPECT_EQ(d.Atom(1).nLinkId, -1);
    EXPECT_EQ(d.text.ParseCode(&d.owner, "1234"), 3);  // at most three digits
}

TEST(RichTextParse, UnderlinedLinksToggleAndEnd) {
    RichLayout a;
    a.Parse("#O123abc@@@Click#c(-1)#Oafter");
    ASSERT_EQ(a.Count(), 2u);
    EXPECT_EQ(a.Atom(0).strText, "Click");
    EXPECT_TRUE(a.Run(0).bUnderline);
    int nType = 0;
    std::string strData;
    ASSERT_TRUE(a.text.FindLink(a.Atom(0).nLinkId, nType, strData));
    EXPECT_EQ(nType, 123);
    EXPECT_EQ(strData, "abc");
    EXPECT_EQ(a.Atom(1).strText, "after");
    EXPECT_FALSE(a.Run(1).bUnderline);
    EXPECT_EQ(a.Atom(1).nLinkId, -1);

    // A kind set before the link is carried by it.
    RichLayout b;
    b.Parse("#c(-1,2,9)#pid7x10y20Go there#c(-1)#p.");
    ASSERT_EQ(b.Count(), 2u);
    EXPECT_EQ(b.Atom(0).strText, "Go there");
    EXPECT_TRUE(b.Run(0).bUnderline);
    EXPECT_EQ(b.Run(0).nLinkParam1, 2);
    EXPECT_EQ(b.Run(0).nLinkParam2, 9);
    ASSERT_TRUE(b.text.FindLink(b.Atom(0).nLinkId, nType, strData));
    EXPECT_EQ(nType, 0);
    EXPECT_EQ(strData, "id7x10y20");
    EXPECT_FALSE(b.Run(1).bUnderline);

    // Without their terminators they are bare underline toggles, as is #u.
    RichLayout c;
    c.Parse("#Ox#py#uz#uw");
    EXPECT_EQ(c.Runs(), (std::vector<std::string>{"x", "y", "z", "w"}));
    EXPECT_TRUE(c.Run(0).bUnderline);
    EXPECT_FALSE(c.Run(1).bUnderline);
    EXPECT_TRUE(c.Run(2).bUnderline);
    EXPECT_FALSE(c.Run(3).bUnderline);
}

TEST(RichTextParse, FontTable) {
    struct Case {
        const char* szCode;
        const char* szFace;
        int nSize, nAdvance, nConsumed;
    };
    // The rows whose size or advance differ from nn, the minimum, and the letter skipped even as a digit.
    const Case cases[] = {
        {"Fc13", "黑体", 15, 15, 4}, {"Fc15", "楷体", 19, 19, 4}, {"Ff16", "楷体", 16, 17, 4},
        {"Ff18", "楷体", 19, 19, 4}, {"Ff10", "宋体", 12, 12, 4}, {"Fx12", "黑体", 14, 14, 4},
        {"F12", "宋体", 12, 12, 3},  {"F914", "黑体", 14, 14, 4}, {"Fc", "宋体", 12, 12, 2},
    };
    for (const Case& c : cases) {
        RichLayout r;
        EXPECT_EQ(r.text.ParseCode(&r.owner, c.szCode), c.nConsumed) << c.szCode;
        const ArkGui::ArkRichFont& font = r.text.GetStyle().font;
        EXPECT_EQ(font.strFace, c.szFace) << c.szCode;
        EXPECT_EQ(font.nSize, c.nSize) << c.szCode;
        EXPECT_EQ(font.nAdvance, c.nAdvance) << c.szCode;
    }
}

TEST(RichTextParse, StyleStackSavesStyleButNotLinksOrStrike) {
    RichLayout a;
    a.Parse("#S+#R#b#u#Fc13#P7#c(5)#da#S-b#S-c");
    ASSERT_EQ(a.Count(), 2u);
    const ArkGui::CText& after = a.Run(1);
    EXPECT_EQ(after.uColour, ArkGui::ARK_RICH_DEFAULT_COLOUR);
    EXPECT_FALSE(after.bBlink);
    EXPECT_FALSE(after.bUnderline);
    EXPECT_EQ(after.font.nAdvance, 12);
    EXPECT_FALSE(after.bHoverBack);
    EXPECT_TRUE(after.bStrike);          // not part of the saved style
    EXPECT_EQ(after.nLinkId, 5);         // nor are the link fields
    EXPECT_EQ(a.Atom(1).strText, "bc");  // the pop on an empty stack did nothing
}

TEST(RichTextParse, LayoutFlagCodes) {
    RichLayout a;
    using ArkGui::ArkRichFlag;
    EXPECT_EQ(a.text.ParseCode(&a.owner, "P1"), 2);
    EXPECT_EQ(a.text.GetFlags(), ArkRichFlag(1));
    EXPECT_EQ(a.text.ParseCode(&a.owner, "P6+"), 3);
    EXPECT_EQ(a.text.ParseCode(&a.owner, "P2"), 2);  // 1, 2 and 3 exclude each other
    EXPECT_EQ(a.text.GetFlags(), ArkRichFlag(2) | ArkRichFlag(6));
    EXPECT_EQ(a.text.ParseCode(&a.owner, "P3"), 2);
    EXPECT_EQ(a.text.GetFlags(), ArkRichFlag(3) | ArkRichFlag(6));
    EXPECT_EQ(a.text.ParseCode(&a.owner, "P6-"), 3);
    EXPECT_EQ(a.text.GetFlags(), ArkRichFlag(3));
    EXPECT_EQ(a.text.ParseCode(&a.owner, "Pz"), 2);  // past '9' counts as 9
    EXPECT_EQ(a.text.GetFlags(), ArkRichFlag(3) | ArkRichFlag(9));
    EXPECT_EQ(a.text.ParseCode(&a.owner, "P0"), 2);
    EXPECT_EQ(a.text.GetFlags(), 0u);

    // The owner's defaults come back with Clear.
    RichLayout b(300, 12, ArkRichFlag(7));
    b.Parse("#P0x");
    b.text.Clear();
    EXPECT_EQ(b.text.GetFlags(), ArkRichFlag(7));
    b.Parse("y");
    EXPECT_TRUE(b.Atom(0).bHoverBack);
}

}  // namespace
