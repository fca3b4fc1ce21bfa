// The renderer on a real host window (offscreen driver in tests): the frame it draws reads back.
#include <gtest/gtest.h>

#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"

using namespace KXRenderer;

TEST(WindowRenderer, DrawsIntoTheHostWindowAndReadsBack) {
    std::unique_ptr<KXPlatform::IHostWindow> pHost = KXPlatform::CreateSdlHostWindow();
    ASSERT_TRUE(pHost->Create("t", 64, 40)) << pHost->GetLastError();
    // A GPU is asked for; the headless driver gets the software rasteriser all the same.
    std::unique_ptr<IKXRenderer> pRenderer = CreateWindowRenderer(*pHost, false);
    ASSERT_NE(pRenderer, nullptr);
    EXPECT_EQ(pRenderer->GetWidth(), 64);
    EXPECT_EQ(pRenderer->GetHeight(), 40);
    EXPECT_EQ(pRenderer->GetDeviceName(), "software");
    ASSERT_TRUE(pRenderer->BeginFrame(0xFF000000u));
    pRenderer->DrawSolidQuad(KXRectF{10, 10, 20, 20}, 0xFF00FF00u);
    pRenderer->EndFrame();
    std::vector<uint32_t> vec;
    ASSERT_TRUE(pRenderer->ReadFrame(vec));
    EXPECT_EQ(vec[15 * 64 + 15] & 0x00FFFFFFu, 0x0000FF00u);
    EXPECT_EQ(vec[5 * 64 + 5] & 0x00FFFFFFu, 0u);
    pRenderer->Present();
}

TEST(WindowRenderer, NullHostHasNoWindowToDrawInto) {
    KXPlatform::CKXPlatform_NullHostWindow host;
    ASSERT_TRUE(host.Create("t", 64, 40));
    EXPECT_EQ(CreateWindowRenderer(host, true), nullptr);
}
