// Progress bars, scroll bar arithmetic and decorate layouts (piece placement).
#include "GuiTest_Fixture.h"

#include <cmath>

#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkScrollBar.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class Bars : public GuiFixture {};

TEST_F(Bars, ProgressShowsAtLeastOnePixelForASmallValue) {
    UseSoftwareRenderer();
    auto* p = Make<CArkProgress>(&m_root, "progress", 10, 10, 200, 10);
    EXPECT_EQ(p->GetValue(), 100.0);
    EXPECT_EQ(p->GetMax(), 100.0);
    p->GetLayer(ArkAttrKey(ARK_ATTR_BAR))->AddSolid({0, 0, 200, 10}, 0xFF00FF00u);
    p->SetValue(0.4);
    KXRenderer::KXRectF rc;
    ASSERT_TRUE(p->ComputeBarRect(rc));
    EXPECT_FLOAT_EQ(rc.fLeft, 0.0f);
    EXPECT_FLOAT_EQ(rc.fRight, 1.0f);
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 10, 15), 0xFF00FF00u);
    EXPECT_EQ(Pixel(v, 11, 15), 0xFF000000u);
    p->SetMinOnePixel(false);
    EXPECT_FALSE(p->ComputeBarRect(rc));
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 10, 15), 0xFF000000u);
    // Half way, and upwards from the bottom when vertical.
    p->SetValue(50.0);
    ASSERT_TRUE(p->ComputeBarRect(rc));
    EXPECT_FLOAT_EQ(rc.fRight, 100.0f);
    p->SetVertical(true);
    ASSERT_TRUE(p->ComputeBarRect(rc));
    EXPECT_FLOAT_EQ(rc.fTop, 5.0f);
    EXPECT_FLOAT_EQ(rc.fBottom, 10.0f);
    // A disabled bar draws no bar.
    p->SetEnabled(false);
    EXPECT_FALSE(p->ComputeBarRect(rc));
}

TEST_F(Bars, ProgressStyleBitZeroDrawsTheBackgroundOverTheBar) {
    UseSoftwareRenderer();
    auto* p = Make<CArkProgress>(&m_root, "progress", 0, 0, 100, 10, 0, 0x80FF0000u);
    p->GetLayer(ArkAttrKey(ARK_ATTR_BAR))->AddSolid({0, 0, 100, 10}, 0xFF0000FFu);
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 50, 5), 0xFF0000FFu);  // bar over the background
    p->SetStyle(p->GetStyle() | ARK_PROGRESS_BACKGROUND_ON_TOP);
    v = DrawFrame();
    EXPECT_NE(Pixel(v, 50, 5), 0xFF0000FFu);
    EXPECT_GT(KXRenderer::ArgbRed(Pixel(v, 50, 5)), 100u);
}

TEST_F(Bars, ScrollBarPlacesArrowsAndThumbAndClampsThePosition) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    auto* pBar = new CArkScrollBar();
    pBar->SetDeleteWithParent(true);
    ASSERT_EQ(pBar->Create("", 0, 100, 50, 16, 216, pPanel), 0);
    // Arrows: squares of the smaller of a third of the length and the thickness.
    EXPECT_EQ(pBar->ArrowSide(), 16);
    EXPECT_EQ(pBar->GetDecArrow()->GetRect().nTop, 50);
    EXPECT_EQ(pBar->GetIncArrow()->GetRect().nTop, 50 + 200);
    EXPECT_EQ(pBar->TrackLength(), 184);
    pBar->SetMax(100);
    pBar->SetPage(20);
    EXPECT_EQ(pBar->ThumbLength(), 37);  // 184 * 20 / 100, rounded
    pBar->SetPosition(40);
    // Thumb: 2 pixels in across the bar, at 40 / 80 of the way from first to last place.
    int nFirst = 50 + 16, nLast = 50 + 16 + 184 - 37;
    EXPECT_EQ(pBar->GetThumb()->GetY(), nFirst + static_cast<int>(std::lround((nLast - nFirst) * 0.5)));
    EXPECT_EQ(pBar->GetThumb()->GetX(), 102);
    EXPECT_EQ(pBar->GetThumb()->GetWidth(), 12);
    pBar->SetPosition(500);
    EXPECT_EQ(pBar->GetPosition(), 80.0);
    EXPECT_EQ(pBar->GetThumb()->GetY(), nLast);
    pBar->SetPosition(-3);
    EXPECT_EQ(pBar->GetPosition(), 0.0);
    EXPECT_EQ(pBar->GetThumb()->GetY(), nFirst);
    // The page never exceeds the maximum and neither drops below 1.
    pBar->SetPage(500);
    EXPECT_EQ(pBar->GetPage(), 100.0);
    pBar->SetMax(0);
    EXPECT_EQ(pBar->GetMax(), 1.0);
    EXPECT_EQ(pBar->GetPage(), 1.0);
    EXPECT_TRUE(pPanel->vecNotices.empty());  // none of that was input

    // A bar shorter than three thicknesses: the arrows are squares of a third of the length.
    pBar->SetRect({100, 50, 120, 80});
    EXPECT_EQ(pBar->ArrowSide(), 10);
    for (CArkScrollBarButton* pArrow : {pBar->GetDecArrow(), pBar->GetIncArrow()}) {
        EXPECT_EQ(pArrow->GetWidth(), 10);
        EXPECT_EQ(pArrow->GetHeight(), 10);
        EXPECT_EQ(pArrow->GetX(), 105);
    }
    EXPECT_EQ(pBar->GetIncArrow()->GetRect().nBottom, 80);
}

TEST_F(Bars, ScrollBarInputMovesThePositionAndTellsTheParent) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 400);
    auto* pBar = new CArkScrollBar();
    pBar->SetDeleteWithParent(true);
    ASSERT_EQ(pBar->Create("", ARK_SCROLL_HORIZONTAL, 0, 300, 216, 16, pPanel), 0);
    pBar->SetMax(100);
    pBar->SetPage(50);
    pBar->SetStep(5);
    Click(208, 308);  // increase arrow
    EXPECT_EQ(pBar->GetPosition(), 5.0);
    ASSERT_GE(pPanel->vecNotices.size(), 1u);
    EXPECT_EQ(pPanel->vecNotices[0].uCode, ARK_NOTIFY_SCROLL);
    EXPECT_EQ(pPanel->vecNotices[0].a, static_cast<intptr_t>(ARK_SCROLL_HORIZONTAL));
    EXPECT_EQ(pPanel->vecNotices[0].b, 5);
    Click(8, 308);  // decrease arrow
    Click(8, 308);
    EXPECT_EQ(pBar->GetPosition(), 0.0);
    // Wheel over the track: max(page / 10, 1) = 5 per notch, down increases.
    Mouse(WM_MOUSEMOVE, 180, 308);
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(pBar->GetPosition(), 5.0);
    // Wheel over an arrow: one unit.
    Mouse(WM_MOUSEMOVE, 8, 308);
    Manager().MsgProc(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(pBar->GetPosition(), 4.0);
    // A press on the track centres the thumb there, proportionally.
    int nRoom = pBar->TrackLength() - pBar->ThumbLength();
    ASSERT_LT(pBar->GetThumb()->GetRect().nRight, 150);  // the press lands on the track, not the thumb
    Click(150, 302);
    EXPECT_NEAR(pBar->GetPosition(), 50.0 * (150 - pBar->TrackStart() - pBar->ThumbLength() / 2) / nRoom, 0.01);
    // Dragging the thumb by d pixels moves by (max - page) * d / (track - thumb).
    double dBefore = pBar->GetPosition();
    int nThumbX = pBar->GetThumb()->GetX() + 3;
    Mouse(WM_LBUTTONDOWN, nThumbX, 308, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, nThumbX - 1, 308, MK_LBUTTON);  // the drag starts over the thumb
    Mouse(WM_MOUSEMOVE, nThumbX - 20, 308, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, nThumbX - 20, 308);
    // The thumb snaps to whole pixels between moves: within half a pixel's worth.
    EXPECT_NEAR(pBar->GetPosition(), dBefore - 50.0 * 20 / nRoom, 50.0 * 0.5 / nRoom);
    EXPECT_EQ(pPanel->vecNotices.back().uCode, ARK_NOTIFY_SCROLL_END);
}

class Decorate : public GuiFixture {
protected:
    ArkTextureList Pieces(int nCount) {
        ArkTextureList v;
        for (int i = 0; i < nCount; ++i) {
            // Piece i is (i + 2) wide and (i + 3) high, so every size tells which piece it is.
            std::vector<uint32_t> px(static_cast<size_t>((i + 2) * (i + 3)), 0xFFFFFFFFu);
            v.push_back(std::make_shared<KXRenderer::CKXTexture>("p" + std::to_string(i), i + 2, i + 3, px));
        }
        return v;
    }
    const KXRenderer::KXRectF& Dest(CArkWnd* p, const char* szImage) {
        for (const ArkQuad& q : p->GetDecoration().vecQuads) {
            if (q.strImage == szImage) return q.rcDest;
        }
        static KXRenderer::KXRectF none;
        ADD_FAILURE() << "no quad " << szImage;
        return none;
    }
};

TEST_F(Decorate, NinePiecesKeepCornersAndStretchEdgesAndCentre) {
    CRecordingWnd* pFrame = Make(&m_root, "frame", 50, 50, 300, 200);
    auto* pDeco = Make<CDecorateWnd>(pFrame, "deco", 0, 0, 100, 60);
    ASSERT_TRUE(pDeco->SetDecorateTextures("nine", Pieces(9)));
    EXPECT_FALSE(pDeco->GetVisibleFlag());  // the parent draws it now
    EXPECT_EQ(pFrame->GetDecoration().vecQuads.size(), 9u);
    auto eq = [](const KXRenderer::KXRectF& r, float l, float t, float rr, float b) {
        return r.fLeft == l && r.fTop == t && r.fRight == rr && r.fBottom == b;
    };
    // Sizes: piece i is (i + 2) x (i + 3).
    EXPECT_TRUE(eq(Dest(pFrame, "p0"), 0, 0, 2, 3));
    EXPECT_TRUE(eq(Dest(pFrame, "p2"), 96, 0, 100, 5));
    EXPECT_TRUE(eq(Dest(pFrame, "p6"), 0, 51, 8, 60));
    EXPECT_TRUE(eq(Dest(pFrame, "p8"), 90, 49, 100, 60));
    EXPECT_TRUE(eq(Dest(pFrame, "p4"), 2, 3, 90, 49));   // between p0's bottom-right and p8's top-left
    EXPECT_TRUE(eq(Dest(pFrame, "p1"), 2, 0, 96, 4));    // top edge between p0 and p2
    EXPECT_TRUE(eq(Dest(pFrame, "p7"), 8, 50, 90, 60));  // bottom edge between p6 and p8
    EXPECT_TRUE(eq(Dest(pFrame, "p3"), 0, 3, 5, 51));    // left edge between p0 and p6
    EXPECT_TRUE(eq(Dest(pFrame, "p5"), 93, 5, 100, 49)); // right edge between p2 and p8
}

TEST_F(Decorate, OneHorVerAndMissingPieces) {
    CRecordingWnd* pOne = Make(&m_root, "one", 0, 0, 300, 200);
    auto* pDeco = Make<CDecorateWnd>(pOne, "d", 10, 20, 50, 40);
    ASSERT_TRUE(pDeco->SetDecorateTextures("one", Pieces(1)));
    const KXRenderer::KXRectF& r = pOne->GetDecoration().vecQuads[0].rcDest;
    EXPECT_EQ(r.fLeft, 10 + 48.0f);  // top-right corner of the decorate window, in parent coordinates
    EXPECT_EQ(r.fTop, 20.0f);

    CRecordingWnd* pHor = Make(&m_root, "hor", 0, 0, 300, 200);
    ASSERT_TRUE(Make<CDecorateWnd>(pHor, "d", 0, 0, 50, 40)->SetDecorateTextures("hor", Pieces(3)));
    EXPECT_EQ(Dest(pHor, "p1").fLeft, 2.0f);
    EXPECT_EQ(Dest(pHor, "p1").fRight, 46.0f);
    EXPECT_EQ(Dest(pHor, "p1").fBottom, 5.0f);  // as high as piece 2

    CRecordingWnd* pVer = Make(&m_root, "ver", 0, 0, 300, 200);
    ASSERT_TRUE(Make<CDecorateWnd>(pVer, "d", 0, 0, 50, 40)->SetDecorateTextures("ver", Pieces(3)));
    EXPECT_EQ(Dest(pVer, "p1").fTop, 3.0f);
    EXPECT_EQ(Dest(pVer, "p1").fBottom, 35.0f);
    EXPECT_EQ(Dest(pVer, "p1").fRight, 4.0f);  // as wide as piece 2

    CRecordingWnd* pBad = Make(&m_root, "bad", 0, 0, 300, 200);
    auto* pMissing = Make<CDecorateWnd>(pBad, "d", 0, 0, 50, 40);
    ArkTextureList vecEight = Pieces(9);
    vecEight[4] = nullptr;
    EXPECT_FALSE(pMissing->SetDecorateTextures("nine", vecEight));
    EXPECT_FALSE(pMissing->SetDecorateTextures("diagonal", Pieces(9)));
    EXPECT_TRUE(pBad->GetDecoration().IsEmpty());
    EXPECT_TRUE(pMissing->GetVisibleFlag());
}

TEST_F(Decorate, ParentDrawsItsPiecesInsteadOfItsBackground) {
    UseSoftwareRenderer();
    CRecordingWnd* pFrame = Make(&m_root, "frame", 0, 0, 100, 100, 0, 0xFFFF0000u);
    std::vector<uint32_t> px(4, 0xFF00FF00u);
    ArkTextureList v{std::make_shared<KXRenderer::CKXTexture>("g", 2, 2, px)};
    ASSERT_TRUE(Make<CDecorateWnd>(pFrame, "d", 0, 0, 100, 100)->SetDecorateTextures("one", v));
    std::vector<uint32_t> frame = DrawFrame();
    EXPECT_EQ(Pixel(frame, 99, 0), 0xFF00FF00u);
    EXPECT_EQ(Pixel(frame, 50, 50), 0xFF000000u);  // no red background any more
}

}  // namespace
