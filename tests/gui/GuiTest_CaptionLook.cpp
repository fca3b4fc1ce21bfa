// Caption edge modes and force-show-text, read back from drawn frames.
#include <gtest/gtest.h>

#include <algorithm>

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
    // Right and bottom extents of the strongly red and strongly green pixels; -1 when none.
    static void Extents(const std::vector<uint32_t>& v, int& nRedR, int& nRedB, int& nGreenR, int& nGreenB) {
        nRedR = nRedB = nGreenR = nGreenB = -1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                uint32_t p = v[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
                uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF;
                if (r > 128 && g < 64) nRedR = std::max(nRedR, x), nRedB = std::max(nRedB, y);
                if (g > 128 && r < 64) nGreenR = std::max(nGreenR, x), nGreenB = std::max(nGreenB, y);
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

TEST_F(CaptionLook, ShadowAndOutlineSitAtTheirOffsetsFromTheText) {
    if (!EnterDirWithRealFaces()) GTEST_SKIP() << "the CJK faces are not installed";
    UseSoftwareRenderer();
    auto* p = Make<ArkGui::CArkWnd>(&m_root, "L", 20, 20, 200, 40);
    Manager().SetFont(p, "黑体", 14);
    p->SetText("HIH");
    p->SetTextColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED), 0xFFFF0000u);
    p->SetEdgeColour(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED), 0xFF00FF00u);
    int nRedR = 0, nRedB = 0, nGreenR = 0, nGreenB = 0;

    // The outline rings the text by one pixel on every side.
    Extents(DrawFrame(), nRedR, nRedB, nGreenR, nGreenB);
    ASSERT_GE(nRedR, 0);
    EXPECT_EQ(nGreenR, nRedR + 1);
    EXPECT_EQ(nGreenB, nRedB + 1);
    int nOutlineRedR = nRedR, nOutlineRedB = nRedB;
    // The shadow is the text again one pixel right and one down; the text itself stays put.
    p->SetEdgeMode(1);
    Extents(DrawFrame(), nRedR, nRedB, nGreenR, nGreenB);
    ASSERT_GE(nGreenR, 0);
    EXPECT_EQ(nRedR, nOutlineRedR);
    EXPECT_EQ(nRedB, nOutlineRedB);
    EXPECT_EQ(nGreenR, nRedR + 1);
    EXPECT_EQ(nGreenB, nRedB + 1);
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
