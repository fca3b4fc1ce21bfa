// Tooltips: where a tip goes beside the cursor, and the tip window shown through the real mouse routing
// for a reading of the main window, sized to its text, hidden again when the cursor leaves.
#include "netcheck/ui/NetChkTooltipWnd.h"

#include "KX_GUI/ArkTipWnd.h"
#include "NcTest_NetChkWnd.h"

using namespace ArkGui;
using namespace netchkwndtest;

namespace {

TEST(TipPlacement, BelowInTheUpperHalfAboveInTheLowerAndAlwaysInsideTheRoot) {
    // Root 640 x 520: the line is 520 / 2 - 10 = 250 for the hovered window's top.
    KXRenderer::KXRectI rc = ArkPlaceTip(300, 100, 100, 40, 249, false, 640, 520);
    EXPECT_EQ(rc.nTop, 126);  // cursor y + 26
    EXPECT_EQ(rc.nLeft, 250);  // centred on the cursor
    EXPECT_EQ(rc.Width(), 100);
    EXPECT_EQ(rc.Height(), 40);
    rc = ArkPlaceTip(300, 400, 100, 40, 250, false, 640, 520);
    EXPECT_EQ(rc.nTop, 344);  // cursor y - height - 16
    rc = ArkPlaceTip(300, 400, 100, 40, 250, true, 640, 520);
    EXPECT_EQ(rc.nTop, 426);  // asked for below

    // Clamped: left and right edges, the bottom, and the top.
    EXPECT_EQ(ArkPlaceTip(10, 100, 100, 40, 0, false, 640, 520).nLeft, 0);
    EXPECT_EQ(ArkPlaceTip(630, 100, 100, 40, 0, false, 640, 520).nLeft, 540);
    EXPECT_EQ(ArkPlaceTip(300, 500, 100, 40, 0, false, 640, 520).nTop, 480);
    EXPECT_EQ(ArkPlaceTip(300, 30, 100, 40, 400, false, 640, 520).nTop, 0);
    // A tip larger than the root keeps its corner at the origin.
    rc = ArkPlaceTip(300, 300, 700, 600, 400, false, 640, 520);
    EXPECT_EQ(rc.nLeft, 0);
    EXPECT_EQ(rc.nTop, 0);
}

class TipWnd : public NetChkWndFixture {
protected:
    CNetChkTooltipWnd* MakeTip(CNetChkTooltipWnd* pTip) {
        pTip->SetDeleteWithParent(true);
        EXPECT_EQ(pTip->Create("", 0, 0, 0, 160, 50, &m_root), 0);
        Make<CArkRichWnd>(pTip, "Item_RichWnd", 4, 4, 150, 40);
        pTip->Setup();
        return pTip;
    }
};

TEST_F(TipWnd, AReadingShowsItsTipBesideTheCursorSizedToItsText) {
    CNetChkTooltipWnd* pTip = MakeTip(new CNetChkGuiTipWnd());
    ASSERT_NE(pTip->GetRichWnd(), nullptr);
    EXPECT_EQ(pTip->GetLayerOrder(), 251);
    EXPECT_FALSE(pTip->IsVisible());
    Manager().SetTipWnd(pTip);

    CArkWnd* pTop = Make(&m_root, "top", 100, 50, 200, 20);
    CArkWnd* pLow = Make(&m_root, "low", 100, 450, 200, 20);
    CArkWnd* pNone = Make(&m_root, "none", 400, 50, 100, 20);
    pTop->SetTipText("one line");
    pLow->SetTipText("a#rb#rc");

    Mouse(WM_MOUSEMOVE, 150, 55);
    ASSERT_TRUE(pTip->IsVisible());
    EXPECT_EQ(pTip->GetRichWnd()->GetText(), "one line");
    const int nOneLine = pTip->GetRichWnd()->GetRichText().GetContentHeight();
    EXPECT_EQ(pTip->GetHeight(), nOneLine + CNetChkTooltipWnd::kPadding);
    EXPECT_EQ(pTip->GetY(), 55 + 26);
    EXPECT_EQ(pTip->GetX(), 150 - 80);
    // The text goes with the tip.
    EXPECT_EQ(pTip->GetRichWnd()->GetY(), pTip->GetY());

    Mouse(WM_MOUSEMOVE, 160, 460);
    ASSERT_TRUE(pTip->IsVisible());
    EXPECT_EQ(pTip->GetHeight(), 3 * nOneLine + CNetChkTooltipWnd::kPadding);
    EXPECT_EQ(pTip->GetY(), 460 - pTip->GetHeight() - 16);

    // A window without a tip hides it; an empty text never shows.
    Mouse(WM_MOUSEMOVE, 420, 55);
    EXPECT_FALSE(pTip->IsVisible());
    pNone->SetTipText("");
    pTip->ShowTip("");
    pTip->Show(true);
    EXPECT_FALSE(pTip->IsVisible());
}

TEST_F(TipWnd, TheBindWindowStandsRightOfTheTipAndRightClickHidesIt) {
    CNetChkTooltipWnd* pTip = MakeTip(new CNetChkGuiTipWnd());
    CNetChkTooltipWnd* pBind = MakeTip(new CNetChkGuiBindWnd());
    Manager().SetTipWnd(pTip);
    Manager().SetBindWnd(pBind);
    CArkWnd* pWnd = Make(&m_root, "w", 500, 50, 100, 20);
    pWnd->SetTipText("tip");
    pWnd->SetBindText("bound");

    Mouse(WM_MOUSEMOVE, 590, 60);
    ASSERT_TRUE(pTip->IsVisible());
    ASSERT_TRUE(pBind->IsVisible());
    EXPECT_EQ(pBind->GetRichWnd()->GetText(), "bound");
    // Pushed left together so that the pair stays inside the root.
    EXPECT_EQ(pTip->GetX(), 640 - 320);
    EXPECT_EQ(pBind->GetX(), pTip->GetX() + pTip->GetWidth());
    EXPECT_EQ(pBind->GetY(), pTip->GetY());

    // A right press on the bind window hides its anchor, the tip; the bind window follows it out.
    // (On the frame below the text: the text itself takes its own right clicks.)
    Mouse(WM_RBUTTONDOWN, pBind->GetX() + 5, pBind->GetY() + pBind->GetHeight() - 3, MK_RBUTTON);
    EXPECT_FALSE(pTip->IsVisible());
    pBind->AfterChildren();
    EXPECT_FALSE(pBind->IsVisible());
}

}  // namespace
