// A root window over the null host window, a fake clock, a recording window and optional drawing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkGUIManager.h"
#include "KX_GUI/ArkRootWnd.h"
#include "KX_GUI/ArkWnd.h"
#include "KX_Platform/KXPlatform_HostWindow.h"
#include "KX_Renderer/KXRenderer.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

namespace ArkGuiTest {

// One notification as the parent saw it.
struct Notice {
    ArkGui::CArkWnd* pChild;
    uint32_t uCode;
    intptr_t a;
    intptr_t b;
};

// A plain window that records what reaches it.
class CRecordingWnd : public ArkGui::CArkWnd {
public:
    std::vector<Notice> vecNotices;
    std::vector<std::string> vecEvents;
    bool bWheelResult = false;
    int nHotKey = -1;
    int nHotKeyZ = -1;

    int OnNotify(ArkGui::CArkWnd* pChild, uint32_t uCode, intptr_t a, intptr_t b) override {
        vecNotices.push_back({pChild, uCode, a, b});
        return 1;
    }
    int OnLButtonDown(int, int nX, int nY) override { return Record("ldown", nX, nY); }
    int OnLButtonUp(int, int nX, int nY) override { return Record("lup", nX, nY); }
    int OnMouseMove(int, int nX, int nY) override { return Record("move", nX, nY); }
    int OnKeyDown(int nKey, ArkGui::LParam) override { return Record("key", nKey, 0); }
    int OnChar(char ch, ArkGui::LParam) override { return Record("char", static_cast<uint8_t>(ch), 0); }
    bool OnMouseWheel(int, int nDelta, int, int) override {
        Record("wheel", nDelta, 0);
        return bWheelResult;
    }
    int OnHotKey(int nKey, int nZ) override {
        nHotKey = nKey;
        nHotKeyZ = nZ;
        return 1;
    }
    std::vector<uint32_t> Codes() const {
        std::vector<uint32_t> v;
        for (const Notice& n : vecNotices) v.push_back(n.uCode);
        return v;
    }

private:
    int Record(const char* szWhat, int a, int b) {
        vecEvents.push_back(std::string(szWhat) + " " + std::to_string(a) + "," + std::to_string(b));
        return 1;
    }
};

class GuiFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 520;

    void SetUp() override {
        m_host.Create("test", kWidth, kHeight);
        ASSERT_EQ(m_root.CreateRoot(kWidth, kHeight, &m_host, nullptr), 0);
        Manager().SetTickSource([this] { return m_uTick; });
    }

    // Drawing into a memory surface; tests that read pixels call this first.
    void UseSoftwareRenderer() {
        m_pRenderer = KXRenderer::CreateSoftwareRenderer(kWidth, kHeight);
        ASSERT_NE(m_pRenderer, nullptr);
        Manager().SetRenderer(m_pRenderer.get());
    }

    ArkGui::CArkGUIManager& Manager() { return *m_root.GetManager(); }

    // Client pixel messages into the manager, as the host window procedure delivers them.
    int Mouse(uint32_t uMsg, int nX, int nY, uint32_t uKeys = 0) {
        return Manager().MsgProc(uMsg, uKeys, MAKELPARAM(nX, nY));
    }
    void Click(int nX, int nY) {
        Mouse(WM_LBUTTONDOWN, nX, nY, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, nX, nY);
    }
    int Key(uint32_t uMsg, int nKey, uint32_t uLParam = 1) { return Manager().MsgProc(uMsg, static_cast<KXPlatform::WParam>(nKey), uLParam); }

    // A window with a solid enabled background, created under pParent at a position relative to it.
    template <class T = CRecordingWnd>
    T* Make(ArkGui::CArkWnd* pParent, const char* szName, int nX, int nY, int nW, int nH, uint32_t uStyle = 0,
            uint32_t uColour = 0) {
        auto* p = new T();
        p->SetDeleteWithParent(true);
        EXPECT_EQ(p->Create("", uStyle, nX, nY, nW, nH, pParent), 0);
        p->SetName(szName);
        if (uColour) {
            p->GetLayer(ArkGui::ArkAttrKey(ArkGui::ARK_ATTR_ENABLED))
                ->AddSolid({0, 0, static_cast<float>(nW), static_cast<float>(nH)}, uColour);
        }
        return p;
    }

    uint32_t Pixel(const std::vector<uint32_t>& v, int nX, int nY) const {
        return v[static_cast<size_t>(nY) * kWidth + static_cast<size_t>(nX)];
    }
    std::vector<uint32_t> DrawFrame() {
        std::vector<uint32_t> v;
        EXPECT_TRUE(Manager().RenderFrame(0xFF000000u));
        EXPECT_TRUE(m_pRenderer->ReadFrame(v));
        return v;
    }

    // A symbolic link where the system makes one, else a copy (Wine has no symbolic links).
    static void LinkOrCopy(const char* szFrom, const char* szTo) {
        std::error_code ec;
        std::filesystem::create_symlink(szFrom, szTo, ec);
        if (ec) std::filesystem::copy_file(szFrom, szTo);
    }

    // Enters a temporary directory whose resource/ holds the free CJK faces under the program's file
    // names and opens the font table. False when the faces are not installed (the caller skips).
    bool EnterDirWithRealFaces() {
        const char* szHei = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
        const char* szKai = "/usr/share/fonts/truetype/arphic/ukai.ttc";
        if (!std::filesystem::exists(szHei) || !std::filesystem::exists(szKai)) return false;
        m_pFacesDir = std::make_unique<ScopedTempDir>(true);
        std::filesystem::create_directory("resource");
        LinkOrCopy(szHei, "resource/simhei.ttf");
        LinkOrCopy(szKai, "resource/simkai.ttf");
        EXPECT_TRUE(Manager().InitFontTable());
        return true;
    }

    // Every GUI test runs in a fresh directory with its log captured: an error line the test did not
    // announce through m_log.ExpectError fails it.
    ScopedTempDir m_workDir{true};
    ScopedLogCapture m_log;
    KXPlatform::CKXPlatform_NullHostWindow m_host;
    std::unique_ptr<ScopedTempDir> m_pFacesDir;
    std::unique_ptr<KXRenderer::IKXRenderer> m_pRenderer;  // destroyed after the root
    ArkGui::CArkRootWnd m_root;
    uint32_t m_uTick = 100000;
};

}  // namespace ArkGuiTest
