// The software renderer: textures by name, quads with modulation, the clip stack, the off-screen
// target and read-back, checked on read-back pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "KX_Renderer/KXRenderer.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

using namespace KXRenderer;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pRenderer = CreateSoftwareRenderer(64, 48);
        ASSERT_NE(m_pRenderer, nullptr);
    }

    uint32_t PixelAt(int nX, int nY) {
        if (m_vecFrame.empty()) {
            EXPECT_TRUE(m_pRenderer->ReadFrame(m_vecFrame));
        }
        return m_vecFrame[static_cast<size_t>(nY) * 64 + static_cast<size_t>(nX)];
    }
    void EndFrame() {
        m_pRenderer->EndFrame();
        m_vecFrame.clear();
    }
    std::shared_ptr<CKXTexture> Solid(int nW, int nH, uint32_t uArgb) {
        std::vector<uint32_t> vec(static_cast<size_t>(nW * nH), uArgb);
        return m_pRenderer->CreateTexture(nW, nH, vec.data());
    }

    std::unique_ptr<IKXRenderer> m_pRenderer;
    std::vector<uint32_t> m_vecFrame;
};

// Within one step of rounding per channel.
::testing::AssertionResult Near(uint32_t uGot, uint32_t uWant) {
    for (int nShift = 0; nShift < 32; nShift += 8) {
        int nGot = static_cast<int>((uGot >> nShift) & 0xFF), nWant = static_cast<int>((uWant >> nShift) & 0xFF);
        if (std::abs(nGot - nWant) > 2)
            return ::testing::AssertionFailure() << std::hex << "got 0x" << uGot << " want 0x" << uWant;
    }
    return ::testing::AssertionSuccess();
}

TEST_F(RendererTest, TexturesLoadByNameKeepPixelsAndAreShared) {
    ScopedTempDir dir(true);
    // A 3 x 2 image with distinct pixels, alpha included, written as a PNG and loaded back by name.
    std::vector<uint32_t> vecImage = {0xFF112233u, 0x80445566u, 0x00778899u, 0xFFFF0000u, 0xFF00FF00u, 0x400000FFu};
    ASSERT_TRUE(SavePixelsPng("img.png", 3, 2, vecImage));
    std::shared_ptr<CKXTexture> pTexture = m_pRenderer->LoadTexture("img.png");
    ASSERT_NE(pTexture, nullptr);
    EXPECT_EQ(pTexture->GetWidth(), 3);
    EXPECT_EQ(pTexture->GetHeight(), 2);
    ASSERT_NE(pTexture->LockPixels(), nullptr);
    EXPECT_EQ(std::vector<uint32_t>(pTexture->LockPixels(), pTexture->LockPixels() + 6), vecImage);
    EXPECT_EQ(pTexture->GetPixel(2, 1), 0x400000FFu);
    EXPECT_EQ(pTexture->GetPixel(3, 0), 0u);
    EXPECT_EQ(m_pRenderer->LoadTexture("img.png"), pTexture);

    ScopedLogCapture log;
    log.ExpectError("KXRenderer::LoadTexture bad.png is not an image");
    log.ExpectError("KXRenderer::LoadTexture cannot open missing.png");
    WriteTestFile("bad.png", "not an image");
    EXPECT_EQ(m_pRenderer->LoadTexture("bad.png"), nullptr);
    EXPECT_EQ(m_pRenderer->LoadTexture("missing.png"), nullptr);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_NE(log.Lines()[0].find("KXRenderer::LoadTexture"), std::string::npos);
}

TEST_F(RendererTest, QuadsAreModulatedAndBlended) {
    std::shared_ptr<CKXTexture> pWhite = Solid(4, 4, kWhite);
    ASSERT_TRUE(m_pRenderer->BeginFrame(kBlack));
    // Stretched, tinted green.
    m_pRenderer->DrawTexturedQuad(pWhite.get(), KXRectF{0, 0, 4, 4}, KXRectF{0, 0, 8, 8}, 0xFF00FF00u);
    // Half-transparent white over black.
    m_pRenderer->DrawTexturedQuad(pWhite.get(), KXRectF{0, 0, 4, 4}, KXRectF{10, 0, 14, 4}, 0x80FFFFFFu);
    m_pRenderer->DrawSolidQuad(KXRectF{20, 0, 30, 10}, 0xFFFF0000u);
    m_pRenderer->DrawSolidQuad(KXRectF{20, 0, 30, 10}, 0x800000FFu);
    EndFrame();
    EXPECT_TRUE(Near(PixelAt(0, 0), 0xFF00FF00u));
    EXPECT_TRUE(Near(PixelAt(7, 7), 0xFF00FF00u));
    EXPECT_EQ(PixelAt(8, 8), kBlack);
    EXPECT_TRUE(Near(PixelAt(11, 1), 0xFF808080u));
    EXPECT_TRUE(Near(PixelAt(25, 5), 0xFF7F0080u));
    EXPECT_EQ(PixelAt(30, 5), kBlack);  // right edge is exclusive
    EXPECT_EQ(m_pRenderer->GetStats().uTexturedQuads, 2u);
    EXPECT_EQ(m_pRenderer->GetStats().uSolidQuads, 2u);
}

TEST_F(RendererTest, ClipStackIntersectsAndRestores) {
    ASSERT_TRUE(m_pRenderer->BeginFrame(kBlack));
    m_pRenderer->PushClipRect(KXRectI{10, 10, 30, 30});
    m_pRenderer->PushClipRect(KXRectI{20, 0, 40, 20});  // intersected: 20..30 x 10..20
    EXPECT_EQ(m_pRenderer->GetClipRect().nLeft, 20);
    EXPECT_EQ(m_pRenderer->GetClipRect().nBottom, 20);
    m_pRenderer->DrawSolidQuad(KXRectF{0, 0, 64, 48}, 0xFFFF0000u);
    m_pRenderer->PopClipRect();  // back to 10..30 x 10..30
    m_pRenderer->DrawSolidQuad(KXRectF{0, 25, 64, 48}, 0xFF00FF00u);
    // A clip that does not meet the current one draws nothing at all.
    m_pRenderer->PushClipRect(KXRectI{50, 40, 60, 45});
    EXPECT_TRUE(m_pRenderer->GetClipRect().IsEmpty());
    m_pRenderer->DrawSolidQuad(KXRectF{0, 0, 64, 48}, 0xFF0000FFu);
    m_pRenderer->PopClipRect();
    m_pRenderer->PopClipRect();
    m_pRenderer->PopClipRect();  // unmatched: ignored
    m_pRenderer->DrawSolidQuad(KXRectF{60, 0, 64, 4}, kWhite);
    EndFrame();
    EXPECT_EQ(PixelAt(20, 10), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(29, 19), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(19, 10), kBlack);
    EXPECT_EQ(PixelAt(30, 15), kBlack);
    EXPECT_EQ(PixelAt(20, 20), kBlack);
    EXPECT_EQ(PixelAt(10, 25), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(29, 29), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(30, 29), kBlack);
    EXPECT_EQ(PixelAt(5, 40), kBlack);
    EXPECT_EQ(PixelAt(55, 42), kBlack);
    EXPECT_EQ(PixelAt(63, 0), kWhite);
}

TEST_F(RendererTest, OffscreenGroupIsCompositedWithItsAlpha) {
    ASSERT_TRUE(m_pRenderer->BeginFrame(0xFF0000FFu));
    ASSERT_TRUE(m_pRenderer->BeginOffscreen());
    EXPECT_FALSE(m_pRenderer->BeginOffscreen());
    m_pRenderer->DrawSolidQuad(KXRectF{0, 0, 16, 16}, 0xFFFF0000u);
    m_pRenderer->DrawSolidQuad(KXRectF{8, 0, 16, 16}, 0xFF00FF00u);  // overlapping members do not show through
    m_pRenderer->EndOffscreen(0x80FFFFFFu);
    EXPECT_FALSE(m_pRenderer->IsOffscreen());
    m_pRenderer->DrawSolidQuad(KXRectF{40, 40, 44, 44}, kWhite);  // drawing goes to the frame again
    EndFrame();
    EXPECT_TRUE(Near(PixelAt(2, 2), 0xFF80007Fu));
    EXPECT_TRUE(Near(PixelAt(10, 2), 0xFF00807Fu));
    EXPECT_EQ(PixelAt(20, 20), 0xFF0000FFu);  // outside the group: the background untouched
    EXPECT_EQ(PixelAt(41, 41), kWhite);

    // The target is cleared for every group: last frame's members are gone.
    ASSERT_TRUE(m_pRenderer->BeginFrame(kBlack));
    ASSERT_TRUE(m_pRenderer->BeginOffscreen());
    m_pRenderer->EndOffscreen(kWhite);
    EndFrame();
    EXPECT_EQ(PixelAt(2, 2), kBlack);
}

TEST_F(RendererTest, ReleasedDeviceObjectsAreMadeAgainAndTexturesMayOutliveTheRenderer) {
    std::shared_ptr<CKXTexture> pRed = Solid(2, 2, 0xFFFF0000u);
    ASSERT_TRUE(m_pRenderer->BeginFrame(kBlack));
    m_pRenderer->DrawTexturedQuad(pRed.get(), KXRectF{0, 0, 2, 2}, KXRectF{0, 0, 2, 2}, kWhite);
    m_pRenderer->DrawTexturedQuad(pRed.get(), KXRectF{0, 0, 2, 2}, KXRectF{4, 0, 6, 2}, kWhite);
    EndFrame();
    EXPECT_EQ(m_pRenderer->GetStats().uTextureUploads, 1u);
    m_pRenderer->ReleaseDeviceObjects();
    ASSERT_TRUE(m_pRenderer->BeginFrame(kBlack));
    m_pRenderer->DrawTexturedQuad(pRed.get(), KXRectF{0, 0, 2, 2}, KXRectF{0, 0, 2, 2}, kWhite);
    EndFrame();
    EXPECT_EQ(m_pRenderer->GetStats().uTextureUploads, 2u);
    EXPECT_EQ(PixelAt(1, 1), 0xFFFF0000u);

    // A texture kept past its renderer is still readable and harmless to draw with a new one.
    m_pRenderer.reset();
    EXPECT_EQ(pRed->GetPixel(0, 0), 0xFFFF0000u);
    m_pRenderer = CreateSoftwareRenderer(64, 48);
    ASSERT_TRUE(m_pRenderer->BeginFrame(kBlack));
    m_pRenderer->DrawTexturedQuad(pRed.get(), KXRectF{0, 0, 2, 2}, KXRectF{0, 0, 2, 2}, kWhite);
    EndFrame();
    EXPECT_EQ(PixelAt(0, 0), 0xFFFF0000u);
}

TEST_F(RendererTest, SavedFrameReadsBackAsTheSamePixels) {
    ScopedTempDir dir(true);
    ASSERT_TRUE(m_pRenderer->BeginFrame(0xFF203040u));
    m_pRenderer->DrawSolidQuad(KXRectF{3, 4, 9, 7}, 0xFFC0FFEEu);
    EndFrame();
    ASSERT_TRUE(m_pRenderer->SaveFramePng("frame.png"));
    std::vector<uint32_t> vecFrame;
    ASSERT_TRUE(m_pRenderer->ReadFrame(vecFrame));
    std::shared_ptr<CKXTexture> pBack = m_pRenderer->LoadTexture("frame.png");
    ASSERT_NE(pBack, nullptr);
    ASSERT_EQ(pBack->GetWidth(), 64);
    EXPECT_EQ(std::vector<uint32_t>(pBack->LockPixels(), pBack->LockPixels() + 64 * 48), vecFrame);
    EXPECT_EQ(pBack->GetPixel(3, 4), 0xFFC0FFEEu);
}

}  // namespace
