// Creating windows from layout templates: the fields a window takes, the override rules, the children,
// the images and the refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GuiTest_Fixture.h"
#include "GuiTest_Layout.h"
#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkDecorateWnd.h"
#include "KX_GUI/ArkLayoutPackage.h"
#include "common/NcTest_Logger.h"

namespace {

using ArkGui::ArkAttrKey;
using ArkGui::CArkWnd;

std::string Rect(const KXRenderer::KXRectI& rc) {
    return std::to_string(rc.nLeft) + "," + std::to_string(rc.nTop) + "," + std::to_string(rc.nRight) + "," +
           std::to_string(rc.nBottom);
}

class LayoutCreate : public ArkGuiTest::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        UseSoftwareRenderer();
        // Every window made from the template misses these images on purpose.
        m_log.ExpectError("KXRenderer::LoadTexture cannot open c.png");
        m_log.ExpectError("KXRenderer::LoadTexture cannot open x/");
        m_log.ExpectError("不能加载资源：c.png");
        m_log.ExpectError("不能加载资源：x/");
        // Images the template names: c.png and drag.png are left out on purpose.
        for (const char* sz : {"a.png", "b.png", "q.png"}) {
            std::vector<uint32_t> pixels(4 * 3, 0xFF336699u);
            ASSERT_TRUE(KXRenderer::SavePixelsPng(sz, 4, 3, pixels));
        }
        std::string strRoot = std::string("AUF\0", 4) + std::string("\x14\x27\0\0", 4) + std::string("\1\0\0\0", 4) +
                              std::string("\4\0\0\0", 4) + "Main";
        WriteTestFile("interface/netchkroot.auf", strRoot);
        WriteTestFile("interface/netchkroot.Main.auc", ArkGui::WriteLayoutComponent(*ArkGuiTest::MakeFullTemplate()));
        ASSERT_TRUE(Manager().LoadLayout("interface/netchkroot.auf"));
    }
    CArkWnd* MakeFromTemplate(int nX = 0, int nY = 0, int nW = 0, int nH = 0) {
        auto* p = new CArkWnd();
        p->SetDeleteWithParent(true);
        if (p->CreateFromTemplate("Main", &m_root, nX, nY, nW, nH) != 0) {
            delete p;
            return nullptr;
        }
        return p;
    }
};

TEST_F(LayoutCreate, TheWindowAndItsChildrenTakeTheTemplate) {
    CArkWnd* p = MakeFromTemplate();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetName(), "Main");
    EXPECT_EQ(p->GetText(), "caption");
    EXPECT_EQ(Rect(p->GetRect()), "10,20,310,220");
    EXPECT_EQ(p->GetStyle(), 0x40000020u);
    EXPECT_EQ(p->GetUserData(), 7);
    EXPECT_EQ(p->GetFloatValue(0), 1.5f);
    EXPECT_EQ(p->GetFloatValue(1), -2.25f);
    EXPECT_EQ(p->GetLayerOrder(), 9);
    EXPECT_EQ(p->GetTipText(), "tip");
    EXPECT_EQ(p->GetBindText(), "bind");
    EXPECT_EQ(p->GetTemplate(), Manager().FindTemplate("Main"));

    // Images: the base layer and the enabled background stretched over the window, then the entry's quad
    // at its own size; the missing disabled image is logged and leaves its layer empty.
    ASSERT_EQ(p->GetLayer(ArkAttrKey(ArkGui::ARK_ATTR_BASE))->vecQuads.size(), 1u);
    const auto& enabled = p->GetLayer(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED))->vecQuads;
    ASSERT_EQ(enabled.size(), 2u);
    EXPECT_EQ(enabled[0].rcDest.fRight, 300.0f);
    EXPECT_EQ(enabled[0].rcDest.fBottom, 200.0f);
    EXPECT_EQ(enabled[1].strImage, "q.png");
    EXPECT_EQ(enabled[1].rcDest.fRight, 4.0f);
    EXPECT_EQ(enabled[1].rcDest.fBottom, 3.0f);
    EXPECT_EQ(enabled[1].uColour, 0x80FFFFFFu);
    EXPECT_TRUE(p->GetLayer(ArkAttrKey(ArkGui::ARK_ATTR_DISABLED))->IsEmpty());
    EXPECT_TRUE(m_log.Has("不能加载资源：c.png"));
    EXPECT_FALSE(m_log.Has("drag.png"));  // a plain window has no drag layer to load it into

    // Children by their class, relative to their parent; only middleware nests.
    auto* pBtn = dynamic_cast<ArkGui::CArkButton*>(p->FindChild("Btn"));
    ASSERT_NE(pBtn, nullptr);
    EXPECT_EQ(Rect(pBtn->GetRect()), "14,25,54,45");
    EXPECT_EQ(pBtn->GetText(), "OK");
    CArkWnd* pMid = p->FindChild("Mid");
    ASSERT_NE(pMid, nullptr);
    EXPECT_STREQ(pMid->GetClassName(), "CArkMiddlewareWnd");
    EXPECT_EQ(pMid->GetType(), ArkGui::ARK_WND_MIDDLEWARE);
    CArkWnd* pInner = pMid->FindChild("Inner");
    ASSERT_NE(pInner, nullptr);
    EXPECT_EQ(pInner->GetX(), 61);
    EXPECT_EQ(pInner->GetY(), 82);
    EXPECT_EQ(p->FindChild("Inner"), nullptr);
    auto* pFrame = dynamic_cast<ArkGui::CDecorateWnd*>(p->FindChild("Frame"));
    ASSERT_NE(pFrame, nullptr);
    // The pieces take the folder of the first; they are missing, so the frame is logged and not built.
    EXPECT_TRUE(m_log.Has("不能加载资源：x/t.png"));
    EXPECT_EQ(pFrame->GetDecorateType(), nullptr);

    // Everything made from the template goes with the window.
    size_t nLive = Manager().GetLiveCount();
    p->Destroy();
    delete p;
    EXPECT_EQ(Manager().GetLiveCount(), nLive - 5);
}

TEST_F(LayoutCreate, ThePositionAndSizeOfTheCallerCountOnlyInPairs) {
    CArkWnd* p = MakeFromTemplate(100, 0, 50, 60);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Rect(p->GetRect()), "10,20,60,80");
    CArkWnd* q = MakeFromTemplate(100, 110, 0, 60);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(Rect(q->GetRect()), "100,110,400,310");
    // The image stretched over the window follows the size it got.
    EXPECT_EQ(p->GetLayer(ArkAttrKey(ArkGui::ARK_ATTR_ENABLED))->vecQuads[0].rcDest.fRight, 50.0f);
}

TEST_F(LayoutCreate, RefusalsLeaveTheWindowUncreated) {
    m_log.ExpectError("CArkWnd::CreateFromTemplate Main is not of class CArkWnd");
    m_log.ExpectError("不能加载资源：Nope");
    ArkGui::CArkButton button;  // the template's class is CArkWnd
    EXPECT_EQ(button.CreateFromTemplate("Main", &m_root), -1);
    EXPECT_EQ(button.GetManager(), nullptr);
    EXPECT_EQ(m_root.FindChild("Main"), nullptr);

    CArkWnd wnd;
    EXPECT_EQ(wnd.CreateFromTemplate("Main", nullptr), -1);
    CArkWnd orphan;  // a parent that was never created has no manager
    EXPECT_EQ(wnd.CreateFromTemplate("Main", &orphan), -1);
    EXPECT_EQ(wnd.CreateFromTemplate("Nope", &m_root), -1);
    EXPECT_TRUE(m_log.Has("不能加载资源：Nope"));
    EXPECT_EQ(wnd.GetManager(), nullptr);
    // The same window can still be made from a template it accepts.
    EXPECT_EQ(wnd.CreateFromTemplate("Main", &m_root), 0);
    wnd.Destroy();
}

TEST_F(LayoutCreate, DamagedTemplatesThatStillParseMakeWindowsSafely) {
    // Damaged names and classes are refused with a log line each; what matters here is safety.
    m_log.AllowError("KXRenderer::LoadTexture cannot open");
    m_log.AllowError("CArkWnd::CreateFromTemplate");
    m_log.AllowError("不能加载资源");
    const std::string strGood = ArkGui::WriteLayoutComponent(*ArkGuiTest::MakeFullTemplate());
    size_t nLive = Manager().GetLiveCount();
    for (uint32_t uValue : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x7FC00000u /* a NaN float */}) {
        for (size_t n = 0; n + 4 <= strGood.size(); n += 4) {
            std::string bad = strGood;
            for (int i = 0; i < 4; ++i) bad[n + i] = static_cast<char>((uValue >> (8 * i)) & 0xFF);
            ArkGui::CArkLayoutTemplate t;
            if (!ArkGui::ParseLayoutComponent(bad.data(), static_cast<uint32_t>(bad.size()), t)) continue;
            CArkWnd wnd;
            if (wnd.CreateFromTemplate(t, &m_root) == 0) wnd.Destroy();
            EXPECT_EQ(Manager().GetLiveCount(), nLive) << n;
        }
    }
}

}  // namespace
