// Drawing order on read-back pixels, raising with layers and the bottom/topmost groups, and group opacity.
#include "GuiTest_Fixture.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class Drawing : public GuiFixture {};

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

TEST_F(Drawing, FirstChildIsDrawnLastAndModalWindowsAfterTheTree) {
    UseSoftwareRenderer();
    CRecordingWnd* pBack = Make(&m_root, "back", 10, 10, 100, 100, 0, kRed);
    CRecordingWnd* pFront = Make(&m_root, "front", 60, 60, 100, 100, 0, kGreen);
    ASSERT_EQ(m_root.GetFirstChild(), pFront);
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 20, 20), kRed);
    EXPECT_EQ(Pixel(v, 80, 80), kGreen);  // the overlap shows the first child
    EXPECT_EQ(Pixel(v, 150, 150), kGreen);
    EXPECT_EQ(Pixel(v, 300, 300), 0xFF000000u);
    // The hit-test agrees with what is drawn on top.
    EXPECT_EQ(m_root.HitTest(80, 80, 1, false), pFront);

    // A modal window is drawn after the whole tree even when it is not the first child.
    CRecordingWnd* pModal = Make(&m_root, "modal", 70, 70, 20, 20, ARK_STYLE_MODAL, kBlue);
    pBack->BringToFront();
    ASSERT_NE(m_root.GetFirstChild(), pModal);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 80, 80), kBlue);
    EXPECT_EQ(Pixel(v, 65, 65), kRed);  // back was raised over front
    // Hidden and excluded windows are not drawn.
    pModal->Show(false);
    pBack->SetExcludeFromDrawing(true);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 80, 80), kGreen);
    EXPECT_EQ(Pixel(v, 20, 20), 0xFF000000u);
}

TEST_F(Drawing, DisabledWindowsDrawTheDisabledBackgroundAndClipToTheirParent) {
    UseSoftwareRenderer();
    CRecordingWnd* pPanel = Make(&m_root, "panel", 100, 100, 50, 50, 0, kRed);
    CRecordingWnd* pChild = Make(pPanel, "child", 30, 0, 60, 20, ARK_STYLE_CLIP_PARENT, kGreen);
    pChild->GetLayer(ArkAttrKey(ARK_ATTR_DISABLED))->AddSolid({0, 0, 60, 20}, kBlue);
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 140, 105), kGreen);
    EXPECT_EQ(Pixel(v, 160, 105), 0xFF000000u);  // outside the parent: clipped
    pPanel->SetEnabled(false);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 140, 105), kBlue);
}

TEST_F(Drawing, GroupOpacityCompositesTheSubtreeOnce) {
    UseSoftwareRenderer();
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 100, 100, 0, 0xFFFFFFFFu);
    Make(pPanel, "child", 0, 0, 50, 50, 0, kRed);
    pPanel->SetGroupOpacity(0.5);
    std::vector<uint32_t> v = DrawFrame();
    // Over black: white at half alpha is mid grey, and the child is half red rather than red over grey.
    uint32_t uGrey = Pixel(v, 75, 75);
    EXPECT_NEAR(static_cast<int>(KXRenderer::ArgbRed(uGrey)), 128, 2);
    uint32_t uChild = Pixel(v, 25, 25);
    EXPECT_NEAR(static_cast<int>(KXRenderer::ArgbRed(uChild)), 128, 2);
    EXPECT_EQ(KXRenderer::ArgbGreen(uChild), 0u);
    EXPECT_FALSE(m_pRenderer->IsOffscreen());
}

TEST_F(Drawing, RaisingKeepsTopmostAndHigherLayersInFrontAndTheBottomGroupBehind) {
    CRecordingWnd* pBottom1 = Make(&m_root, "bottom1", 0, 0, 10, 10, ARK_STYLE_BOTTOM_GROUP);
    CRecordingWnd* pBottom2 = Make(&m_root, "bottom2", 0, 0, 10, 10, ARK_STYLE_BOTTOM_GROUP);
    CRecordingWnd* pHigh = Make(&m_root, "high", 0, 0, 10, 10);
    pHigh->SetLayerOrder(5);
    pHigh->BringToFront();
    CRecordingWnd* pTop = Make(&m_root, "top", 0, 0, 10, 10, ARK_STYLE_TOPMOST);
    CRecordingWnd* pPlain = Make(&m_root, "plain", 0, 0, 10, 10);
    auto order = [this] {
        std::string s;
        for (CArkWnd* p = m_root.GetFirstChild(); p; p = p->GetNextSibling()) s += p->GetName() + " ";
        return s;
    };
    // plain: after the topmost run, behind the higher layer, in front of the bottom group.
    EXPECT_EQ(order(), "top high plain bottom2 bottom1 ");
    pBottom1->BringToFront();
    EXPECT_EQ(order(), "top high plain bottom1 bottom2 ");
    pHigh->SetLayerOrder(0);
    pPlain->BringToFront();
    EXPECT_EQ(order(), "top plain high bottom1 bottom2 ");
    // A press raises the top-level ancestor, but not under a topmost window.
    CRecordingWnd* pInner = Make(pBottom2, "inner", 0, 0, 5, 5);
    pInner->OnMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(order(), "top plain high bottom2 bottom1 ");
    CRecordingWnd* pTopInner = Make(pTop, "topinner", 0, 0, 5, 5);
    pPlain->BringToFront();
    pTopInner->OnMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(order(), "top plain high bottom2 bottom1 ");
    (void)pBottom2;
}

TEST_F(Drawing, ActivationWalksTheChainAndRaisesIt) {
    struct CActWnd : CRecordingWnd {
        std::vector<bool>* pLog = nullptr;
        void OnActivate(bool b) override { pLog->push_back(b); }
    };
    std::vector<bool> vecA, vecB, vecC;
    auto* pA = Make<CActWnd>(&m_root, "a", 0, 0, 10, 10);
    auto* pB = Make<CActWnd>(pA, "b", 0, 0, 10, 10);
    auto* pC = Make<CActWnd>(&m_root, "c", 0, 0, 10, 10);
    pA->pLog = &vecA;
    pB->pLog = &vecB;
    pC->pLog = &vecC;
    pB->Activate();
    EXPECT_TRUE(pA->IsActive());
    EXPECT_TRUE(pB->IsActive());
    EXPECT_EQ(m_root.GetFirstChild(), pA);
    pB->Activate();  // already active: nothing happens
    EXPECT_EQ(vecB.size(), 1u);
    pC->Activate();
    EXPECT_EQ(vecA, (std::vector<bool>{true, false}));
    EXPECT_EQ(vecB, (std::vector<bool>{true, false}));
    EXPECT_EQ(vecC, (std::vector<bool>{true}));
    EXPECT_EQ(Manager().GetActiveWnd(), pC);
    pC->Destroy();
    delete pC;
    EXPECT_EQ(Manager().GetActiveWnd(), nullptr);
}

}  // namespace
