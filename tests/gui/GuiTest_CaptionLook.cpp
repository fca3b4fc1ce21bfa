// Caption edge modes and force-show-text, read back from drawn frames.
#include <gtest/gtest.h>

#include "GuiTest_Fixture.h"

namespace {

using ArkGui::ArkAttrKey;

class CaptionLook : public ArkGuiTest::GuiFixture {
protected:
    // Leftmost column holding a strongly red (text) or green (edge) pixel; -1 when none.
    static void Leftmost(const std::vector<uint32_t>& v, int& nRed, int& nGreen) {
        nRed = nGreen = -1;
        for (int x = 0; x < kWidth; ++x) {
            for (int y = 0; y < kHeight; ++y) {
                uint32_t p = v[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
                uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF;
                if (nRed < 0 && r > 128 && g < 64) nRed = x;
                if (nGreen < 0 && g > 128 && r < 64) nGreen = x;
            }
        }
    }
};

TEST_F(CaptionLook, EdgeModesAndForceShowText) {
    if (!EnterDirWithRealFaces()) GTEST_SKIP() << "the CJK faces are not installed";
    UseSoftwareRenderer();
    auto* p = Make<ArkGui::CArkWnd>(&m_root, "L", 20, 20, 200, 40);
    Manager().SetFont(p, "黑体", 14);
    p->SetText("HIH");
    p->SetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED), 0xFFFF0000u);
    p->SetEdgeColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED), 0xFF00FF00u);
    int nRed = 0, nGreen = 0;

    Leftmost(DrawFrame(), nRed, nGreen);  // mode 0: an outline, one pixel left of the text
    ASSERT_GE(nRed, 0);
    EXPECT_EQ(nGreen, nRed - 1);
    p->SetEdgeMode(1);  // a shadow lies right of and below the text only
    Leftmost(DrawFrame(), nRed, nGreen);
    ASSERT_GE(nGreen, 0);
    EXPECT_GT(nGreen, nRed);
    p->SetEdgeMode(2);  // no edge at all
    Leftmost(DrawFrame(), nRed, nGreen);
    EXPECT_EQ(nGreen, -1);
    EXPECT_GE(nRed, 0);

    p->SetEnabled(false);  // the disabled colours are grey: no red
    Leftmost(DrawFrame(), nRed, nGreen);
    EXPECT_EQ(nRed, -1);
    p->SetForceShowText(true);
    Leftmost(DrawFrame(), nRed, nGreen);
    EXPECT_GE(nRed, 0);
}

TEST_F(CaptionLook, AnyWindowTakesMouseOverAndMouseDownTextColours) {
    if (!EnterDirWithRealFaces()) GTEST_SKIP() << "the CJK faces are not installed";
    UseSoftwareRenderer();
    auto* p = Make<ArkGui::CArkWnd>(&m_root, "L", 20, 20, 200, 40);
    Manager().SetFont(p, "黑体", 14);
    p->SetText("HIH");
    p->SetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED), 0xFFFF0000u);
    EXPECT_EQ(p->GetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_MOUSEOVER)), 0xFFFFFFFFu);
    int nRed = 0, nGreen = 0;
    Mouse(WM_MOUSEMOVE, 100, 35);  // over, but no mouse-over colour yet
    Leftmost(DrawFrame(), nRed, nGreen);
    EXPECT_GE(nRed, 0);
    p->SetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_MOUSEOVER), 0xFF00FF00u);
    Leftmost(DrawFrame(), nRed, nGreen);
    EXPECT_EQ(nRed, -1);
    EXPECT_GE(nGreen, 0);
    Mouse(WM_MOUSEMOVE, 400, 400);  // away again
    Leftmost(DrawFrame(), nRed, nGreen);
    EXPECT_GE(nRed, 0);
    EXPECT_EQ(nGreen, -1);
}

}  // namespace
