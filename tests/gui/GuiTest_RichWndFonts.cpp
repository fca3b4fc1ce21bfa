// CArkRichWnd with the real faces: runs are measured glyph by glyph in the font of their face and
// size, and a steady frame makes no FreeType call.
#include "GuiTest_Fixture.h"

#include "KX_GUI/ArkRichWnd.h"
#include "KX_Renderer/KXFont.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

class RichWndFonts : public GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (!EnterDirWithRealFaces()) GTEST_SKIP() << "CJK fonts not installed";
    }
};

TEST_F(RichWndFonts, RunsAreMeasuredInTheirOwnFont) {
    auto* p = Make<CArkRichWnd>(&m_root, "rich", 10, 10, 400, 200);
    ASSERT_TRUE(Manager().SetFont(p, "黑体", 14));
    KXRenderer::CKXFont* pOwn = p->GetFont();
    ASSERT_NE(pOwn, nullptr);
    p->SetText("iiii#RWWWW#r#Fc15中文 x");
    const auto& atoms = p->GetRichText().GetAtoms();
    ASSERT_EQ(atoms.size(), 3u);
    EXPECT_EQ(atoms[0]->nWidth, pOwn->MeasureText("iiii"));
    EXPECT_EQ(atoms[1]->nWidth, pOwn->MeasureText("WWWW"));
    EXPECT_LT(atoms[0]->nWidth, atoms[1]->nWidth);  // proportional, not half the advance
    // #Fc15 is 楷体 19: the file face of that size; the space keeps half the advance (19 / 2).
    KXRenderer::CKXFont* pKai = Manager().GetFont(7, true);
    ASSERT_NE(pKai, nullptr);
    EXPECT_EQ(atoms[2]->nWidth, pKai->MeasureText("中文") + 9 + pKai->MeasureText("x"));
}

TEST_F(RichWndFonts, SteadyFramesMakeNoFreeTypeCall) {
    UseSoftwareRenderer();
    auto* p = Make<CArkRichWnd>(&m_root, "rich", 10, 10, 400, 200, ARK_RICH_SCROLLBAR);
    ASSERT_TRUE(Manager().SetFont(p, "黑体", 12));
    p->SetText("#R网络延迟 #c(3)#O101d@@@详情#c(-1)#O #b闪烁#n #Fc15楷体 #u下划线#u#r第二行 second line");
    DrawFrame();
    const uint64_t uBefore = KXRenderer::CKXFont::GetFreeTypeCallCount();
    for (int i = 0; i < 3; ++i) {
        m_uTick += 300;  // the blink changes colours, not glyphs
        DrawFrame();
    }
    EXPECT_EQ(KXRenderer::CKXFont::GetFreeTypeCallCount(), uBefore);
    EXPECT_GT(m_pRenderer->GetStats().uGlyphs, 0u);
}

}  // namespace
