// ark_gallery --screenshot draws every control: each control's rectangle differs clearly from the panel
// background beside it, and the frame as a whole is far from flat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "KX_Renderer/KXRenderer.h"
#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"
#include "tools/ark_gallery/ArkGallery_Layout.h"

namespace {

int ChannelDistance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int s = 0; s <= 16; s += 8) {
        int x = static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF);
        d = std::max(d, x < 0 ? -x : x);
    }
    return d;
}

TEST(Gallery, ScreenshotShowsEveryControl) {
    std::string strExe = NcTestToolsDir() + "/ark_gallery/ark_gallery";
    ScopedTempDir dir(true);
    std::string strCommand = "SDL_VIDEODRIVER=offscreen '" + strExe + "' --screenshot shot.png > gallery.log 2>&1";
    ASSERT_EQ(std::system(strCommand.c_str()), 0) << ReadTestFile("gallery.log");
    EXPECT_EQ(ReadTestFile("gallery.log"), "");  // it found the fonts and said nothing

    auto pRenderer = KXRenderer::CreateSoftwareRenderer(16, 16);
    ASSERT_NE(pRenderer, nullptr);
    auto pShot = pRenderer->LoadTexture("shot.png");
    ASSERT_NE(pShot, nullptr);
    ASSERT_EQ(pShot->GetWidth(), ArkGallery::kWidth);
    ASSERT_EQ(pShot->GetHeight(), ArkGallery::kHeight);

    std::set<uint32_t> setColours;
    for (int y = 0; y < ArkGallery::kHeight; ++y) {
        for (int x = 0; x < ArkGallery::kWidth; ++x) setColours.insert(pShot->GetPixel(x, y));
    }
    EXPECT_GT(setColours.size(), 500u);

    for (const ArkGallery::ControlRect& r : ArkGallery::kControls) {
        int nDiffer = 0, nTotal = 0;
        for (int y = r.nY; y < r.nY + r.nH; ++y) {
            uint32_t uBackground = pShot->GetPixel(4, y);  // the left margin is always panel
            for (int x = r.nX; x < r.nX + r.nW; ++x) {
                ++nTotal;
                nDiffer += ChannelDistance(pShot->GetPixel(x, y), uBackground) > 24;
            }
        }
        EXPECT_GT(nDiffer * 100, nTotal * 5) << r.szName << ": " << nDiffer << " of " << nTotal << " pixels drawn";
    }
}

}  // namespace
