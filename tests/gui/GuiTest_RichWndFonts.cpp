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

// Lines broken by #r and lines broken by wrapping are equally high, from the font's real line height,
// and after scrolling to the end the last line's glyphs are drawn whole inside the window.
TEST_F(RichWndFonts, EveryLineIsOneFontLineHighAndTheLastShowsWhole) {
    UseSoftwareRenderer();
    auto* p = Make<CArkRichWnd>(&m_root, "rich", 10, 10, 200, 60, ARK_RICH_SCROLLBAR);
    ASSERT_TRUE(Manager().SetFont(p, "黑体", 14));
    const int nLine = p->GetFont()->GetLineHeight();
    ASSERT_GT(nLine, 14);  // the face's line box is taller than its em
    p->SetText("");
    p->AppendText("#W第一行#r第二行很长很长很长很长很长很长很长很长很长很长很长很长很长#r#Rgjpqy最后", true);
    const auto& atoms = p->GetRichText().GetAtoms();
    std::vector<int> vecLineTops;
    for (const auto& pAtom : atoms) {
        EXPECT_GE(pAtom->nHeight, nLine) << pAtom->strText;
        if (vecLineTops.empty() || vecLineTops.back() != pAtom->nY) vecLineTops.push_back(pAtom->nY);
    }
    ASSERT_GE(vecLineTops.size(), 4u);  // one #r line, a wrapped pair, the last
    for (size_t i = 1; i < vecLineTops.size(); ++i) EXPECT_EQ(vecLineTops[i] - vecLineTops[i - 1], nLine) << i;
    EXPECT_EQ(p->GetRichText().GetContentHeight(), vecLineTops.back() + nLine);

    // The last line's red glyphs end above the window's bottom edge, not cut by it.
    std::vector<uint32_t> v = DrawFrame();
    int nLowestRed = -1;
    for (int y = 10; y < 10 + 60; ++y) {
        for (int x = 10; x < 200; ++x) {
            const uint32_t c = Pixel(v, x, y);
            if (KXRenderer::ArgbRed(c) > 160 && KXRenderer::ArgbGreen(c) < 80) nLowestRed = y;
        }
    }
    ASSERT_GE(nLowestRed, 0);
    EXPECT_LT(nLowestRed, 10 + 60 - 1);
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
