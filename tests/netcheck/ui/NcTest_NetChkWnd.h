// The net-check windows on a real window tree: a GUI fixture plus a recording application (string table
// from a small CSV, a real command manager, the fixture's clock) and builders of the windows' children
// for trees made by code.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkButton.h"
#include "KX_GUI/ArkProgress.h"
#include "KX_GUI/ArkRichWnd.h"
#include "common/NcTest_Logger.h"
#include "gui/GuiTest_Fixture.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/ui/NetChk_AppServices.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

namespace netchkwndtest {

class RecordingApp : public INetChkAppServices {
public:
    void StartCheck(int nStep) override { calls.push_back("start " + std::to_string(nStep)); }
    void StopCheck() override { calls.push_back("stop"); }
    void DestroyMainWindow() override { calls.push_back("destroy"); }
    uint32_t GetAppTick() const override { return *pTick; }
    bool StartUpload() override {
        calls.push_back("upload");
        return true;
    }
    ArkGui::CArkRootWnd* GetRootWnd() override { return pRoot; }
    CNetChk_UtilResMgr* GetResMgr() override { return &resMgr; }
    const CNetChk_CommandMgr* GetCommandMgr() const override { return &commandMgr; }

    std::vector<std::string> calls;
    ArkGui::CArkRootWnd* pRoot = nullptr;
    const uint32_t* pTick = nullptr;
    CNetChk_UtilResMgr resMgr;
    CNetChk_CommandMgr commandMgr;
};

class NetChkWndFixture : public ArkGuiTest::GuiFixture {
protected:
    void SetUp() override {
        ArkGuiTest::GuiFixture::SetUp();
        m_pDir = std::make_unique<ScopedTempDir>(true);
        std::filesystem::create_directory("log");  // a sink hears only the lines the log file took
        m_pLogger = std::make_unique<ScopedLoggerReset>();
        CArkLogger::Instance().SetSink(0, &m_log);
        WriteTestFile("config/sys/NetChk_string_def.csv",
                      "name,msg\n"
                      "Ntc_Chk_Ing0,checking\nNtc_Chk_Finish,finished\nNtc_Chk_Stop,stopped\n"
                      "Ntc_Chk_Stop_PrgsInfo,stop-info\n"
                      "Ntc_Chk_CheckResult2,result2\nNtc_Chk_RepairSuggest2,advice2\n"
                      "5,http://support.example.com/help?id=5\n"
                      "PIC_STR_TIP_SHEILD,interface/art/shield.png\n");
        ASSERT_TRUE(m_app.resMgr.LoadStringDef());
        m_app.pRoot = &m_root;
        m_app.pTick = &m_uTick;
        SetNetChkAppServices(&m_app);
    }
    void TearDown() override {
        // The windows go with the root; nobody may reach the application after this test.
        m_root.Destroy();
        SetNetChkAppServices(nullptr);
        CArkLogger::Instance().SetSink(0, nullptr);
        m_pLogger.reset();
        m_pDir.reset();
    }
    // Lines the logger wrote since the test began, without their time stamps.
    bool Logged(const std::string& strText) const { return m_log.Has(strText); }

    RecordingApp m_app;
    RecordingLogSink m_log;
    std::unique_ptr<ScopedTempDir> m_pDir;
    std::unique_ptr<ScopedLoggerReset> m_pLogger;
};

}  // namespace netchkwndtest
