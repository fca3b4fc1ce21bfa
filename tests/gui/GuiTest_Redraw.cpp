// Drawing only what changed: a clean tree draws nothing, every visible change and every input draws
// again, and an animation step redraws its own area so that the picture equals a whole redraw.
#include "GuiTest_Fixture.h"

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkRichWnd.h"

using namespace ArkGui;
using namespace ArkGuiTest;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

class Redraw : public GuiFixture {
protected:
    // A frame: whether it drew.
    bool Frame() { return Manager().RenderFrame(kBlack); }
    uint64_t Frames() const { return m_pRenderer->GetStats().uFrames; }
    // The picture after drawing everything afresh, to compare a partly redrawn frame with.
    std::vector<uint32_t> WholeRedraw() {
        Manager().Invalidate();
        return DrawFrame();
    }
};

TEST_F(Redraw, ACleanTreeDrawsNothingAndEveryVisibleChangeDrawsAgain) {
    UseSoftwareRenderer();
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 300, 300, 0, kRed);
    CRecordingWnd* pChild = Make(pPanel, "child", 10, 10, 50, 50, 0, kGreen);
    auto* pBar = Make<CArkProgress>(pPanel, "bar", 100, 100, 100, 10);
    pBar->GetLayer(ArkAttrKey(ARK_ATTR_BAR))->AddSolid({0, 0, 100, 10}, kBlue);
    EXPECT_TRUE(Frame());
    // Idle frames, also as the clock runs: nothing is drawn and the target is not touched.
    const uint64_t uFrames = Frames();
    for (int i = 0; i < 5; ++i) {
        m_uTick += 33;
        EXPECT_FALSE(Frame()) << "idle frame " << i;
    }
    EXPECT_EQ(Frames(), uFrames);

    // Each setter marks the frame; the change shows, and the frame after it is idle again.
    struct Step {
        const char* szWhat;
        std::function<void()> fnChange;
        int nX, nY;
        uint32_t uExpected;
    };
    const Step steps[] = {
        {"move", [&] { pChild->SetPos(200, 200); }, 220, 220, kGreen},
        {"hide", [&] { pChild->Show(false); }, 220, 220, kRed},
        {"show", [&] { pChild->Show(true); }, 220, 220, kGreen},
        {"disable", [&] { pChild->SetEnabled(false); }, 220, 220, kRed},
        {"image", [&] { pPanel->GetLayer(ArkAttrKey(ARK_ATTR_ENABLED))->AddSolid({0, 0, 5, 5}, kBlue); }, 2, 2, kBlue},
        {"value", [&] { pBar->SetValue(10.0); }, 150, 105, kRed},
        {"order", [&] { Make(&m_root, "cover", 0, 0, 20, 20, 0, kGreen); }, 2, 2, kGreen},
        {"destroy", [&] { delete m_root.GetFirstChild(); }, 2, 2, kBlue},
    };
    for (const Step& step : steps) {
        step.fnChange();
        std::vector<uint32_t> v = DrawFrame();
        EXPECT_EQ(Pixel(v, step.nX, step.nY), step.uExpected) << step.szWhat;
        EXPECT_FALSE(Frame()) << "after " << step.szWhat;
    }

    // A caption change draws; so does any input, even one that changes nothing.
    pChild->SetEnabled(true);
    EXPECT_TRUE(Frame());
    pChild->SetText("ok");
    EXPECT_TRUE(Frame());
    EXPECT_FALSE(Frame());
    Mouse(WM_MOUSEMOVE, 290, 290);
    EXPECT_TRUE(Frame());
    EXPECT_FALSE(Frame());
    // The window's pixels were lost: everything is drawn again.
    Manager().MsgProc(WM_PAINT, 0, 0);
    EXPECT_TRUE(Frame());
}

TEST_F(Redraw, TheCaretBlinksByRedrawingItsEditOnly) {
    UseSoftwareRenderer();
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 400, 200, 0, kRed);
    auto* pEdit = Make<CArkEdit>(pPanel, "edit", 10, 10, 200, 24, 0, kBlue);
    Make(pPanel, "other", 250, 10, 100, 100, 0, kGreen);
    pEdit->Activate();
    EXPECT_TRUE(Frame());
    m_uTick += 400;  // still the first half of the blink
    EXPECT_FALSE(Frame());
    m_uTick += 100;  // hidden now
    const uint64_t uQuads = m_pRenderer->GetStats().uSolidQuads;
    EXPECT_TRUE(Frame());
    // Only the edit's area is drawn: the panel's and the edit's backgrounds, not the other window.
    EXPECT_EQ(m_pRenderer->GetStats().uSolidQuads - uQuads, 2u);
    std::vector<uint32_t> vPartial;
    ASSERT_TRUE(m_pRenderer->ReadFrame(vPartial));
    EXPECT_EQ(vPartial, WholeRedraw());
    m_uTick += 500;  // shown again
    EXPECT_TRUE(Frame());
    EXPECT_FALSE(Frame());
    // An edit that is not active does not blink.
    pEdit->Deactivate();
    EXPECT_TRUE(Frame());
    for (int i = 0; i < 4; ++i) {
        m_uTick += 250;
        EXPECT_FALSE(Frame());
    }
}

TEST_F(Redraw, BlinkingRichTextRedrawsOnlyWhileItsBrightnessSteps) {
    UseSoftwareRenderer();
    auto* pRich = Make<CArkRichWnd>(&m_root, "rich", 20, 20, 300, 100);
    // Without a font the runs draw their lines only: the underline shows the blink.
    pRich->SetText("#R#u#bab#n  cd#r#r#r#r#r#r#r#r#r#r#r#r#bfar below#n");
    const uint32_t uStart = m_uTick;
    EXPECT_TRUE(Frame());
    // Bright for the first quarter of the period: nothing to draw.
    for (uint32_t u = 33; u < 250; u += 33) {
        m_uTick = uStart + u;
        EXPECT_FALSE(Frame()) << u;
    }
    // Dimming: a few redraws, each of the blinking run in view only, and the picture is right.
    int nDrawn = 0;
    for (uint32_t u = 250; u < 500; u += 33) {
        m_uTick = uStart + u;
        nDrawn += Frame() ? 1 : 0;
    }
    m_uTick = uStart + 500;
    nDrawn += Frame() ? 1 : 0;
    EXPECT_GE(nDrawn, 3);
    EXPECT_LE(nDrawn, 5);
    std::vector<uint32_t> vPartial;
    ASSERT_TRUE(m_pRenderer->ReadFrame(vPartial));
    EXPECT_NEAR(static_cast<int>(KXRenderer::ArgbRed(Pixel(vPartial, 22, 33))), 64, 3);  // half bright, half alpha
    EXPECT_EQ(vPartial, WholeRedraw());

    // Without blinking text the rich window is still.
    pRich->SetText("#R#ucd");
    EXPECT_TRUE(Frame());
    for (uint32_t u = 0; u < 1000; u += 33) {
        m_uTick += 33;
        EXPECT_FALSE(Frame()) << u;
    }
}

TEST_F(Redraw, CoolDownDrawsOncePerSecondAndWhenItEnds) {
    UseSoftwareRenderer();
    CRecordingWnd* pPanel = Make(&m_root, "panel", 0, 0, 300, 300, 0, kRed);
    auto* pButton = Make<CArkButton>(pPanel, "retry", 10, 10, 80, 30, 0, kBlue);
    pButton->GetLayer(ArkAttrKey(ARK_ATTR_DISABLED))->AddSolid({0, 0, 80, 30}, kGreen);
    pButton->SetText("Retry");
    pButton->StartCoolDown(2.0, true);
    EXPECT_TRUE(Frame());
    EXPECT_EQ(pButton->GetText(), "Retry(2)");
    int nDrawn = 0;
    for (int i = 0; i < 61; ++i) {  // a little over 2 s of frames
        m_uTick += 33;
        nDrawn += Frame() ? 1 : 0;
    }
    EXPECT_EQ(nDrawn, 3);  // "Retry(1)", "Retry(0)", then "Retry" enabled
    EXPECT_EQ(pButton->GetText(), "Retry");
    std::vector<uint32_t> v = WholeRedraw();
    EXPECT_EQ(Pixel(v, 12, 12), kBlue);
}

}  // namespace
