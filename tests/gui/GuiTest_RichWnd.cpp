// CArkRichWnd: text set and append, scroll range, height following the text, resizing, link routing
// to the owner by kind and button, the mouse offsets, and bounded-mode cutting.
#include "GuiTest_Fixture.h"

#include <filesystem>

#include "KX_GUI/ArkRichWnd.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class RichWnd : public GuiFixture {
protected:
    // A rich window at (20, 20) inside an owner covering (0, 0)-(400, 300). Without a font table the
    // window measures with half and whole of its font size (12).
    CArkRichWnd* MakeRich(uint32_t uStyle, int nW = 300, int nH = 100) {
        m_pOwner = Make(&m_root, "owner", 0, 0, 400, 300);
        return Make<CArkRichWnd>(m_pOwner, "rich", 20, 20, nW, nH, uStyle);
    }
    CRecordingWnd* m_pOwner = nullptr;
};

TEST_F(RichWnd, TextWrapsInTheClientWidthAndSetsTheScrollRange) {
    CArkRichWnd* p = MakeRich(ARK_RICH_SCROLLBAR, 100, 30);
    ASSERT_NE(p->GetVScrollBar(), nullptr);
    p->SetText(std::string(40, 'x').c_str());
    EXPECT_EQ(p->GetRichText().GetWrapWidth(), 90);
    ASSERT_EQ(p->GetRichText().GetAtoms().size(), 3u);
    EXPECT_EQ(p->GetRichText().GetAtoms()[0]->strText.size(), 15u);  // 15 x 6 = 90
    EXPECT_EQ(p->GetVScrollBar()->GetMax(), 36.0);
    EXPECT_EQ(p->GetVScrollBar()->GetPage(), 30.0);
    EXPECT_EQ(p->GetText(), std::string(40, 'x'));

    // Appending continues on the last line; scrolling to the end shows it.
    p->AppendText("yyyyyyyyyyyyyyy#rz", true);
    EXPECT_EQ(p->GetText(), std::string(40, 'x') + "yyyyyyyyyyyyyyy#rz");
    EXPECT_EQ(p->GetRichText().GetAtoms().back()->nY, 48);
    EXPECT_EQ(p->GetVScrollBar()->GetMax(), 60.0);
    EXPECT_EQ(p->GetScrollPos(), 30);
    p->AppendText("!", false, true, 7);
    EXPECT_EQ(p->GetScrollPos(), 7);

    // A new width lays the whole text out again.
    p->SetRect({20, 20, 20 + 190, 50});
    EXPECT_EQ(p->GetRichText().GetWrapWidth(), 180);
    EXPECT_EQ(p->GetRichText().GetAtoms()[0]->strText.size(), 30u);
    EXPECT_EQ(p->GetVScrollBar()->GetX(), 20 + 180);

    // Without the scroll bar style the whole width wraps.
    CArkRichWnd* q = Make<CArkRichWnd>(m_pOwner, "plain", 0, 200, 100, 30, 0);
    q->SetText(std::string(40, 'x').c_str());
    EXPECT_EQ(q->GetRichText().GetWrapWidth(), 100);
    EXPECT_EQ(q->GetVScrollBar(), nullptr);
}

TEST_F(RichWnd, LayingTheTextOutAgainStartsFromTheEdgeColourItWasSetWith) {
    CArkRichWnd* p = MakeRich(0, 100, 30);
    p->GetRichText().SetEdgeColour(0xFF112233u);
    p->SetText("ab#eFF0000FFcd");
    auto edge = [p](size_t i) { return static_cast<const CText&>(*p->GetRichText().GetAtoms().at(i)).uEdge; };
    EXPECT_EQ(edge(0), 0xFF112233u);  // the text set keeps the edge colour in force
    EXPECT_EQ(edge(1), 0xFF0000FFu);
    // A new width lays the same text out again: its first run does not take the #e of the last layout.
    p->SetRect({20, 20, 20 + 150, 50});
    ASSERT_EQ(p->GetRichText().GetWrapWidth(), 150);
    EXPECT_EQ(edge(0), 0xFF112233u);
    // Nor does the text kept by a bounded cut.
    p->SetBounded(20);
    p->GetRichText().SetEdgeColour(0);
    p->SetText("ab#eFF0000FFcd#rxy");
    p->AppendText("0123456789", false);
    ASSERT_EQ(p->GetText(), "xy0123456789");
    EXPECT_EQ(edge(0), 0u);
}

TEST_F(RichWnd, ScrollBarBitsAddedAfterCreateBringTheScrollBar) {
    // The way a window made from a layout gets them: the style value grows after Create.
    CArkRichWnd* p = MakeRich(0, 100, 30);
    p->SetText(std::string(40, 'x').c_str());
    ASSERT_EQ(p->GetVScrollBar(), nullptr);
    p->SetStyle(p->GetStyle() + 0xFF0);
    ASSERT_NE(p->GetVScrollBar(), nullptr);
    EXPECT_EQ(p->GetVScrollBar()->GetX(), 20 + 90);
    EXPECT_EQ(p->GetVScrollBar()->GetHeight(), 30);
    EXPECT_EQ(p->GetRichText().GetWrapWidth(), 90);  // laid out again for the narrower text
    EXPECT_EQ(p->GetRichText().GetAtoms()[0]->strText.size(), 15u);
    EXPECT_EQ(p->GetVScrollBar()->GetMax(), 36.0);
    p->AppendText("#ry", true);
    EXPECT_EQ(p->GetScrollPos(), 48 - 30);
    Mouse(WM_MOUSEMOVE, 20 + 40, 20 + 10);
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_LT(p->GetScrollPos(), 48 - 30);

    // Taking the bits away again removes it and gives the text its whole width.
    p->SetStyle(p->GetStyle() & ~0xFF0u);
    EXPECT_EQ(p->GetVScrollBar(), nullptr);
    EXPECT_EQ(p->GetRichText().GetWrapWidth(), 100);
}

TEST_F(RichWnd, HeightFollowsTheTextWithStyleOne) {
    CArkRichWnd* p = MakeRich(ARK_RICH_AUTO_HEIGHT, 60, 5);
    p->SetText("");
    EXPECT_EQ(p->GetHeight(), 12);  // at least the font height
    p->SetText("a#rb#rc");
    EXPECT_EQ(p->GetHeight(), 36);
    CArkRichWnd* q = Make<CArkRichWnd>(m_pOwner, "padded", 0, 200, 60, 5, ARK_RICH_AUTO_HEIGHT | 0x10);
    q->SetText("a#rb");
    EXPECT_EQ(q->GetHeight(), 24 + 10);
    q->AppendText("#rc", false);
    EXPECT_EQ(q->GetHeight(), 36 + 10);
}

TEST_F(RichWnd, LinkPressesReachTheOwnerByKindAndButton) {
    CArkRichWnd* p = MakeRich(0);
    int32_t nCalled = -1;
    // Runs of 3 characters (18 pixels) separated by a space (6): kind 1, 2, 8, 4, then no link.
    p->SetText("#c(5)abc#c(-1) #c(6,2,77)def#c(-1) #c(7,8,3)ghi#c(-1) #c(9,4,11)jkl#c(-1) mno");
    p->SetLinkCallback(9, [&](int32_t n) { nCalled = n; });
    auto record = reinterpret_cast<intptr_t>(&p->GetLinkRecord());

    Click(20 + 3, 20 + 4);
    ASSERT_EQ(m_pOwner->vecNotices.size(), 1u);
    EXPECT_EQ(m_pOwner->vecNotices[0].pChild, p);
    EXPECT_EQ(m_pOwner->vecNotices[0].uCode, ARK_NOTIFY_LINK_LEFT);
    EXPECT_EQ(m_pOwner->vecNotices[0].a, record);
    EXPECT_EQ(m_pOwner->vecNotices[0].b, (4 << 16) | 3);
    EXPECT_EQ(p->GetLinkRecord().nLinkId, 5);
    Mouse(WM_RBUTTONDOWN, 20 + 5, 20 + 2, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 20 + 5, 20 + 2);
    ASSERT_EQ(m_pOwner->vecNotices.size(), 2u);
    EXPECT_EQ(m_pOwner->vecNotices[1].uCode, ARK_NOTIFY_LINK_RIGHT);
    EXPECT_EQ(m_pOwner->vecNotices[1].b, (2 << 16) | 5);

    Click(20 + 30, 20 + 4);  // kind 2
    Mouse(WM_RBUTTONDOWN, 20 + 30, 20 + 4, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 20 + 30, 20 + 4);
    Click(20 + 54, 20 + 4);  // kind 8: the left button only
    Mouse(WM_RBUTTONDOWN, 20 + 54, 20 + 4, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 20 + 54, 20 + 4);
    ASSERT_EQ(m_pOwner->vecNotices.size(), 5u);
    EXPECT_EQ(m_pOwner->vecNotices[2].uCode, ARK_NOTIFY_LINK_PARAM_LEFT);
    EXPECT_EQ(m_pOwner->vecNotices[2].b, 77);
    EXPECT_EQ(m_pOwner->vecNotices[3].uCode, ARK_NOTIFY_LINK_PARAM_RIGHT);
    EXPECT_EQ(m_pOwner->vecNotices[4].uCode, ARK_NOTIFY_LINK_KIND8);
    EXPECT_EQ(m_pOwner->vecNotices[4].b, 3);
    EXPECT_EQ(p->GetLinkRecord().nLinkId, 7);
    EXPECT_EQ(p->GetLinkRecord().nParam2, 3);

    Click(20 + 78, 20 + 4);  // kind 4: the callback, no message
    EXPECT_EQ(nCalled, 11);
    EXPECT_EQ(m_pOwner->vecNotices.size(), 5u);

    // Text without a link lets the mouse through to the owner.
    m_pOwner->vecEvents.clear();
    Click(20 + 100, 20 + 4);
    EXPECT_EQ(m_pOwner->vecNotices.size(), 5u);
    ASSERT_FALSE(m_pOwner->vecEvents.empty());
    EXPECT_EQ(m_pOwner->vecEvents[0], "ldown 120,24");
    // Unless a layout flag makes the window take the mouse everywhere.
    p->SetDefaultFlags(ArkRichFlag(ARK_RICH_TAKE_MOUSE));
    p->SetText("mno");
    m_pOwner->vecEvents.clear();
    Click(20 + 4, 20 + 4);
    EXPECT_TRUE(m_pOwner->vecEvents.empty());
}

TEST_F(RichWnd, IconsAndButtonsAreKindOneLinksWithTheirRegisteredData) {
    CArkRichWnd* p = MakeRich(0);
    p->SetText("#c(3,2,5)#I007pick#I#X010go#X");
    Click(20 + 8, 20 + 8);
    Click(20 + 16 + 20, 20 + 8);
    ASSERT_EQ(m_pOwner->vecNotices.size(), 2u);
    EXPECT_EQ(m_pOwner->vecNotices[0].uCode, ARK_NOTIFY_LINK_LEFT);
    EXPECT_EQ(m_pOwner->vecNotices[1].uCode, ARK_NOTIFY_LINK_LEFT);
    const ArkLinkRecord& record = *reinterpret_cast<const ArkLinkRecord*>(m_pOwner->vecNotices[1].a);
    int nType = 0;
    std::string strData;
    ASSERT_TRUE(p->GetRichText().FindLink(record.nLinkId, nType, strData));
    EXPECT_EQ(nType, 10);
    EXPECT_EQ(strData, "go");
}

TEST_F(RichWnd, MouseOffsetsOfTheStyleBitsAndTheScroll) {
    CArkRichWnd* p = MakeRich(0xF0 | 0xF00, 300, 30);
    p->SetText("ab#r#r#r#r#c(4)cd");
    // Window point (8, 9) is text point (3, 4).
    ASSERT_EQ(p->AtomAtWindowPoint(8, 9), p->GetRichText().GetAtoms()[0].get());
    EXPECT_EQ(p->AtomAtWindowPoint(3, 4), nullptr);
    p->SetScrollPos(40);
    EXPECT_EQ(p->GetScrollPos(), 30);  // 60 high, 30 shown
    // The link's line (48..60) shows at 18..30; point 25 is text point 25 - 5 + 30 = 50.
    const CAtom* pLink = p->AtomAtWindowPoint(8, 25);
    ASSERT_NE(pLink, nullptr);
    EXPECT_EQ(pLink->nLinkId, 4);
    Click(20 + 8, 20 + 25);
    ASSERT_EQ(m_pOwner->vecNotices.size(), 1u);
    EXPECT_EQ(m_pOwner->vecNotices[0].uCode, ARK_NOTIFY_LINK_LEFT);
}

TEST_F(RichWnd, BoundedModeCutsAtALineBreak) {
    m_log.ExpectError("CArkRichWnd::SetWndRect 未找到正确的换行符");
    CArkRichWnd* p = MakeRich(0);
    p->SetBounded(40);
    p->SetText("line1#rline2#rline3#r");  // 21 bytes
    testing::internal::CaptureStdout();
    p->AppendText("0123456789012345678#r", false);  // 42 in all: keep from the "#r" at or after 42 - 30
    std::string strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(p->GetText(), "line3#r0123456789012345678#r");
    EXPECT_EQ(strOut, "CArkRichWnd::SetWndRect 文本内容越界，裁剪完成[line3]\n");
    EXPECT_EQ(p->GetRichText().GetAtoms()[0]->strText, "line3");
    EXPECT_EQ(p->GetRichText().GetAtoms()[0]->nY, 0);

    // Within the capacity nothing is cut.
    p->AppendText("ab", false);
    EXPECT_EQ(p->GetText(), "line3#r0123456789012345678#rab");

    // No line break past the cut point (57 - 30 = 27, the last "#r" is at 26): start from empty.
    const std::string strLong(27, 'z');
    testing::internal::CaptureStdout();
    p->AppendText(strLong.c_str(), false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(p->GetText(), strLong);
    EXPECT_EQ(m_log.Lines().size(), 1u);
}

}  // namespace
