// CArkRichWnd drawing on read-back pixels: backgrounds, underline and strike-through, blink, hover
// colours, icons and button frames by number, and the frame of style 0x2.
#include "GuiTest_Fixture.h"

#include <filesystem>

#include "KX_GUI/ArkRichWnd.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

class RichWndDraw : public GuiFixture {
protected:
    // No font table: runs draw their backgrounds and lines, not glyphs, so pixels are exact.
    CArkRichWnd* MakeRich(uint32_t uStyle = 0) {
        UseSoftwareRenderer();
        return Make<CArkRichWnd>(&m_root, "rich", 20, 20, 300, 100, uStyle);
    }
    std::shared_ptr<KXRenderer::CKXTexture> Solid(int nW, int nH, const std::vector<uint32_t>& vecFrames) {
        std::vector<uint32_t> v;
        for (int y = 0; y < nH; ++y) {
            for (uint32_t c : vecFrames) v.insert(v.end(), static_cast<size_t>(nW), c);
        }
        return m_pRenderer->CreateTexture(nW * static_cast<int>(vecFrames.size()), nH, v.data());
    }
};

TEST_F(RichWndDraw, BackgroundsAndLines) {
    CArkRichWnd* p = MakeRich();
    p->SetText("#EFF0000FFab#n#c00FF00#ucd#n#Rd#dxy");
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 25, 25), 0xFF0000FFu);  // background under "ab" (x 20..32)
    EXPECT_EQ(Pixel(v, 35, 25), kBlack);
    EXPECT_EQ(Pixel(v, 35, 20 + 12 + 1), 0xFF00FF00u);  // underline at y + size + 1
    EXPECT_EQ(Pixel(v, 35, 20 + 12 + 2), kBlack);
    EXPECT_EQ(Pixel(v, 45, 20 + 6 + 1), kBlack);        // "d": no strike yet
    EXPECT_EQ(Pixel(v, 52, 20 + 6 + 1), 0xFFFF0000u);  // "xy": strike at y + size / 2 + 1
    EXPECT_EQ(Pixel(v, 52, 20 + 12 + 1), kBlack);
}

TEST_F(RichWndDraw, BlinkPulsesTheColour) {
    CArkRichWnd* p = MakeRich();
    p->SetText("#R#u#bab#nc#u#Rde");
    const uint32_t uStart = m_uTick;
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 25, 33), 0xFFFF0000u);  // f = 1.5, capped at 1
    m_uTick = uStart + 500;                    // f = 0.5: every byte halved, alpha too
    v = DrawFrame();
    const uint32_t uHalf = Pixel(v, 25, 33);
    EXPECT_NEAR(static_cast<int>((uHalf >> 16) & 0xFF), 64, 3);
    EXPECT_EQ(Pixel(v, 40, 33), 0xFFFF0000u);  // "de" does not blink
    m_uTick = uStart + 1750;                   // phase 750: f = 1.0
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 25, 33), 0xFFFF0000u);
}

TEST_F(RichWndDraw, HoverBackgroundNeedsFlagSeven) {
    CArkRichWnd* p = MakeRich();
    p->SetText("#E(FF0000FF)#c(1)ab#P7cd#c(-1)");
    Mouse(WM_MOUSEMOVE, 25, 25);
    std::vector<uint32_t> v = DrawFrame();
    // The whole link lights up; only the run made under flag 7 shows the hover background.
    EXPECT_EQ(Pixel(v, 25, 25), kBlack);
    EXPECT_EQ(Pixel(v, 35, 25), 0xFF0000FFu);
    Mouse(WM_MOUSEMOVE, 200, 200);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 35, 25), kBlack);
}

TEST_F(RichWndDraw, IconsAndButtonsByNumber) {
    m_log.ExpectError("KXRenderer::LoadTexture cannot open interface/richtext/icon004.png");
    CArkRichWnd* p = MakeRich();
    p->SetIconImage(3, Solid(4, 4, {0xFF00FF00u}));
    p->SetButtonImage(12, Solid(10, 8, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}));
    p->SetText("#3#X012go#X#4");
    const auto& atoms = p->GetRichText().GetAtoms();
    ASSERT_EQ(atoms.size(), 3u);
    EXPECT_EQ(atoms[0]->nWidth, 4);
    EXPECT_EQ(atoms[1]->nWidth, 10);  // one frame of three
    EXPECT_EQ(atoms[1]->nHeight, 8);
    EXPECT_EQ(atoms[2]->nWidth, 16);  // no image file for icon 4: a placeholder box
    const int nBtnX = 20 + atoms[1]->nX, nBtnY = 20 + atoms[1]->nY;
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 20 + atoms[0]->nX + 1, 20 + atoms[0]->nY + 1), 0xFF00FF00u);
    EXPECT_EQ(Pixel(v, nBtnX + 5, nBtnY + 4), 0xFFFF0000u);
    EXPECT_EQ(Pixel(v, 20 + atoms[2]->nX + 8, 20 + atoms[2]->nY + 8), 0xFF808080u);
    Mouse(WM_MOUSEMOVE, nBtnX + 5, nBtnY + 4);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, nBtnX + 5, nBtnY + 4), 0xFF00FF00u);
    Mouse(WM_LBUTTONDOWN, nBtnX + 5, nBtnY + 4, MK_LBUTTON);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, nBtnX + 5, nBtnY + 4), 0xFF0000FFu);
    Mouse(WM_LBUTTONUP, nBtnX + 5, nBtnY + 4);
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, nBtnX + 5, nBtnY + 4), 0xFF00FF00u);
}

TEST_F(RichWndDraw, FrameNeedsAllThreeStyleGroups) {
    CArkRichWnd* p = MakeRich(ARK_RICH_FRAME | 0x10 | 0x100);
    p->SetText("x");
    std::vector<uint32_t> v = DrawFrame();
    EXPECT_EQ(Pixel(v, 22, 60), 0xFFF8C830u);
    EXPECT_EQ(Pixel(v, 150, 22), 0xFFF8C830u);
    EXPECT_EQ(Pixel(v, 21, 60), kBlack);
    CArkRichWnd* q = Make<CArkRichWnd>(&m_root, "noframe", 20, 200, 300, 100, ARK_RICH_FRAME | 0x10);
    q->SetText("x");
    v = DrawFrame();
    EXPECT_EQ(Pixel(v, 22, 260), kBlack);
}

}  // namespace
