// Hit-testing: overlapping siblings, inclusive edges, shaped and quad-only windows, clipping to the
// parent, windows that never hit, and FindChild.
#include "GuiTest_Fixture.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class HitTest : public GuiFixture {};

TEST_F(HitTest, OverlappingSiblingsFrontMostWinsAndEdgesAreInclusive) {
    CRecordingWnd* pA = Make(&m_root, "a", 10, 10, 100, 50);
    CRecordingWnd* pB = Make(&m_root, "b", 60, 30, 100, 50);  // created later, so raised in front of a
    EXPECT_EQ(m_root.GetFirstChild(), pB);
    EXPECT_EQ(m_root.HitTest(80, 40, 1, false), pB);
    EXPECT_EQ(m_root.HitTest(20, 20, 1, false), pA);
    // The right and bottom edges belong to the window; one pixel further does not.
    EXPECT_EQ(m_root.HitTest(110, 20, 1, false), pA);
    EXPECT_EQ(m_root.HitTest(111, 20, 1, false), &m_root);
    EXPECT_EQ(m_root.HitTest(20, 60, 1, false), pA);
    EXPECT_EQ(m_root.HitTest(20, 61, 1, false), &m_root);
    // Raising a brings it in front where they overlap.
    pA->BringToFront();
    EXPECT_EQ(m_root.HitTest(80, 40, 1, false), pA);
    // Hidden windows and windows of another hit-testable value are passed over.
    pA->Show(false);
    EXPECT_EQ(m_root.HitTest(80, 40, 1, false), pB);
    pB->SetHitTestable(0);
    EXPECT_EQ(m_root.HitTest(80, 40, 1, false), &m_root);
    EXPECT_EQ(m_root.HitTest(80, 40, 0, false), pB);
}

TEST_F(HitTest, ShapedWindowHitsOnlyWhereTheBackgroundIsOpaqueEnough) {
    UseSoftwareRenderer();
    // 8 x 1 texture: alphas 0, 63, 64, 255 and then transparent.
    std::vector<uint32_t> vecPixels = {0x00FF0000u, 0x3FFF0000u, 0x40FF0000u, 0xFFFF0000u,
                                       0x00000000u, 0x00000000u, 0x00000000u, 0x00000000u};
    auto pTexture = m_pRenderer->CreateTexture(8, 1, vecPixels.data());
    ASSERT_NE(pTexture, nullptr);
    CRecordingWnd* p = Make(&m_root, "shape", 100, 100, 8, 4);
    p->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED))->AddImage(pTexture, 0, 1);  // drawn on row 1
    p->SetStyle(p->GetStyle() | ARK_STYLE_SHAPED);
    EXPECT_EQ(m_root.HitTest(100, 101, 1, false), &m_root);  // alpha 0
    EXPECT_EQ(m_root.HitTest(101, 101, 1, false), &m_root);  // alpha 63
    EXPECT_EQ(m_root.HitTest(102, 101, 1, false), p);        // alpha 64
    EXPECT_EQ(m_root.HitTest(103, 101, 1, false), p);
    EXPECT_EQ(m_root.HitTest(103, 100, 1, false), &m_root);  // no image on row 0
    EXPECT_EQ(m_root.HitTest(108, 101, 1, false), &m_root);  // outside the mask
    // A wheel query ignores the mask.
    EXPECT_EQ(m_root.HitTest(100, 101, 1, true), p);
    // Clearing the bit goes back to the rectangle.
    p->SetStyle(p->GetStyle() & ~ARK_STYLE_SHAPED);
    EXPECT_EQ(m_root.HitTest(100, 101, 1, false), p);
}

TEST_F(HitTest, QuadOnlyWindowHitsInsideItsBaseLayerQuads) {
    CRecordingWnd* p = Make(&m_root, "quads", 200, 200, 100, 100, ARK_STYLE_QUAD_HIT);
    p->GetLayer(ArkAttrKey(ARK_ATTR_BASE))->AddSolid({10, 10, 20, 20}, 0xFFFFFFFFu);
    p->GetLayer(ArkAttrKey(ARK_ATTR_BASE))->AddSolid({50, 0, 60, 100}, 0xFFFFFFFFu);
    EXPECT_EQ(m_root.HitTest(215, 215, 1, false), p);
    EXPECT_EQ(m_root.HitTest(255, 290, 1, false), p);
    EXPECT_EQ(m_root.HitTest(230, 230, 1, false), &m_root);
    EXPECT_EQ(m_root.HitTest(220, 215, 1, false), &m_root);  // a quad's right edge is outside it
}

TEST_F(HitTest, ClipToParentAndHitSubRectangle) {
    CRecordingWnd* pParent = Make(&m_root, "parent", 100, 100, 50, 50);
    CRecordingWnd* pFree = Make(pParent, "free", 40, 40, 40, 40);
    CRecordingWnd* pClipped = Make(pParent, "clipped", 40, 0, 40, 30, ARK_STYLE_CLIP_PARENT);
    // Outside the parent the unclipped child still hits, the clipped one does not.
    EXPECT_EQ(m_root.HitTest(170, 170, 1, false), pFree);
    EXPECT_EQ(m_root.HitTest(170, 110, 1, false), &m_root);
    EXPECT_EQ(m_root.HitTest(145, 110, 1, false), pClipped);
    // A hit sub-rectangle narrows the window: left/top inclusive, right/bottom exclusive.
    pFree->SetHitRect(0, 0, 10, 10);
    EXPECT_EQ(m_root.HitTest(149, 149, 1, false), pFree);
    EXPECT_EQ(m_root.HitTest(150, 150, 1, false), pParent);
}

class CTypedWnd : public CRecordingWnd {
public:
    explicit CTypedWnd(int nType = ARK_WND_CURSOR) { m_nType = nType; }
};

TEST_F(HitTest, CursorAndNameBoardWindowsAreNeverHitAndTheRootIgnoresWheelQueries) {
    CRecordingWnd* pUnder = Make(&m_root, "under", 0, 0, 100, 100);
    auto* pCursor = new CTypedWnd(ARK_WND_CURSOR);
    pCursor->SetDeleteWithParent(true);
    ASSERT_EQ(pCursor->Create("", 0, 0, 0, 50, 50, &m_root), 0);
    EXPECT_EQ(m_root.GetFirstChild(), pCursor);
    EXPECT_EQ(m_root.HitTest(10, 10, 1, false), pUnder);
    EXPECT_EQ(m_root.HitTest(300, 300, 1, true), nullptr);
    EXPECT_EQ(m_root.HitTest(300, 300, 1, false), &m_root);
}

TEST_F(HitTest, FindChildSearchesDirectChildrenOnly) {
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 100, 100);
    CRecordingWnd* pInner = Make(pPanel, "inner", 0, 0, 10, 10);
    EXPECT_EQ(m_root.FindChild("panel"), pPanel);
    EXPECT_EQ(m_root.FindChild("inner"), nullptr);
    EXPECT_EQ(pPanel->FindChild("inner"), pInner);
    EXPECT_EQ(pPanel->FindChild("Inner"), nullptr);
    EXPECT_EQ(pPanel->FindChild(nullptr), nullptr);
    // Contains: direct children, or any descendant once the flag is cleared.
    EXPECT_TRUE(pPanel->Contains(pInner));
    EXPECT_FALSE(m_root.Contains(pInner));
    m_root.SetDirectChildrenOnly(false);
    EXPECT_TRUE(m_root.Contains(pInner));
}

}  // namespace
