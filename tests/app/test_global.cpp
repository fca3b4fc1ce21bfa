// CNetChk_Global on a window without a display: creation, frames by state, the window procedure, the
// loop's one-message-per-pass rule and Alt routing, and the order of shutdown.
#include "AppTest_Fixture.h"
#include "common/NcTest_LoopbackServer.h"
#include "common/NcTest_Paths.h"
#include "common/NcTest_FrameClock.h"
#include "netcheck/NcTest_CheckTables.h"
#include "netcheck/NcTest_PingSamples.h"

#include "app/NetChk_Global.h"
#include "app/NetChk_MessageLoop.h"
#include "netcheck/ui/NetChkCommitWnd.h"
#include "netcheck/ui/NetChkMainWnd.h"
#include "KX_GUI/ArkEdit.h"
#include "KX_GUI/ArkGui_Defs.h"
#include "KX_GUI/ArkGUIManager.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using KXPlatform::CKXPlatform_NullHostWindow;

constexpr int kVkF4 = 0x73;

// Records the key messages that reach the GUI's key processor.
class KeySpy : public ArkGui::IArkHook {
public:
    bool OnHookMessage(uint32_t uMsg, KXPlatform::WParam wParam, KXPlatform::LParam) override {
        m_vecSeen.push_back({uMsg, static_cast<int>(wParam)});
        return false;
    }
    std::vector<std::pair<uint32_t, int>> m_vecSeen;
};

class GlobalTest : public AppFixture {
protected:
    GlobalTest() {
        // Two recorded pings, a target file read back and a collected command, no network.
        WriteTestFile("good.txt", pingsamples::WindowsEnglish(0, 0, 11));
        WriteTestFile("config/sys/NetChkOption.csv",
                      "机房网段,目标文件,命令类型,命令内容,命令描述\n"
                      "10.1.2,S1.txt,0,cat good.txt,检测延迟\n"
                      "10.1.2,S1.txt,1,echo routes,路由\n");
        checktables::WriteStringTable();
        checktables::WriteBounds("80/150/500", "2/10/50");
        // The staged interface and fonts: the window tree is made from the real layout package.
        const std::filesystem::path stage = NcTestToolsDir() + "/../stage/data";
        for (const char* szPart : {"interface", "resource"}) {
            std::filesystem::create_directory_symlink(std::filesystem::canonical(stage / szPart), szPart);
        }
        g_DetailInfo.strServerName = "S1";
        g_DetailInfo.strServerIP = "10.1.2.3";
        m_wnd.Create("t", 640, 520);
        m_global.CommandMgr().SetExeDir(m_dir.Path());
        m_global.SetRendererFactory([](KXPlatform::IHostWindow&, int nWidth, int nHeight) {
            return KXRenderer::CreateSoftwareRenderer(nWidth, nHeight);
        });
    }
    ~GlobalTest() override { m_global.Shutdown(); }

    bool Exists(const std::string& strName) const { return KXPlatform::GetFileAttributes(strName.c_str()).bExists; }

    FakeFrameClock m_clock;
    CKXPlatform_NullHostWindow m_wnd;
    CNetChk_Global m_global{&m_clock};
};

TEST_F(GlobalTest, ACheckRunsFrameByFrameUntilItsEndFlashesTheWindow) {
    ASSERT_TRUE(m_global.Init(&m_wnd, 640, 520));
    EXPECT_EQ(m_global.GetAppState(), INetChk_RunHost::kAppChecking);
    ASSERT_NE(m_global.GetRootWnd(), nullptr);
    EXPECT_EQ(m_global.GetResMgr()->GetNetChkString("Ntc_Chk_CheckResult0"), "result0") << "strings load in Init";

    m_global.StartCheck(0);
    EXPECT_TRUE(Exists("QVRTNchk0.sh"));
    // Each frame polls the run; real time has to pass for the children, the frame clock does not.
    for (int i = 0; i < 500 && m_global.GetAppState() == INetChk_RunHost::kAppChecking; ++i) {
        m_global.Frame();
        usleep(5000);
    }
    ASSERT_EQ(m_global.GetAppState(), INetChk_RunHost::kAppIdle);
    EXPECT_EQ(m_wnd.GetFlashCount(), 1);
    ASSERT_NE(FindNetChkMainWnd(), nullptr);
    EXPECT_EQ(FindNetChkMainWnd()->GetState(), INetChk_CheckView::kProgressFinished) << "the run reports to the main window";
    EXPECT_NE(ReadTestFile(m_dir / "checklist/S1.txt").find("routes"), std::string::npos);
    // Every frame slept out its 33 ms on the frame clock, which is the application's clock.
    ASSERT_FALSE(m_clock.m_vecSleeps.empty());
    EXPECT_EQ(m_clock.m_vecSleeps.front(), 33u);
    EXPECT_EQ(m_global.GetAppTick(), 33u * m_clock.m_vecSleeps.size());

    // Idle frames poll nothing: a run started and then marked idle does not advance.
    m_global.StartCheck(0);
    m_global.SetAppState(INetChk_RunHost::kAppIdle);
    usleep(100000);
    for (int i = 0; i < 5; ++i) m_global.Frame();
    EXPECT_EQ(m_global.CommandMgr().GetCurStep(), 0u);
    EXPECT_EQ(m_global.CommandMgr().GetRunning(), 1);
    m_global.StopCheck();
}

TEST_F(GlobalTest, ShutdownDeletesBothScriptsAndEmptiesEverything) {
    ASSERT_TRUE(m_global.Init(&m_wnd, 640, 520));
    EXPECT_EQ(GetNetChkAppServices(), &m_global) << "the windows find the application from Init on";
    // The tree: the shown main window over the whole client area, the tip and bind windows on the root.
    CNetChkMainWnd* pMain = FindNetChkMainWnd();
    ASSERT_NE(pMain, nullptr);
    EXPECT_TRUE(pMain->GetVisibleFlag());
    EXPECT_EQ(pMain->GetWidth(), 640);
    ArkGui::CArkGUIManager* pManager = m_global.GetRootWnd()->GetManager();
    EXPECT_NE(pManager->GetTipWnd(), nullptr);
    EXPECT_NE(pManager->GetBindWnd(), nullptr);
    EXPECT_NE(pManager->GetGuiHandler(), nullptr);
    WriteTestFile("QVRTNchk0.sh", "exit\n");
    WriteTestFile("QVRTNchk1.sh", "exit\n");
    ASSERT_FALSE(m_global.CommandMgr().GetCatalogue().m_vecCommands.empty());
    m_global.Shutdown();
    EXPECT_FALSE(Exists("QVRTNchk0.sh"));
    EXPECT_FALSE(Exists("QVRTNchk1.sh"));
    EXPECT_EQ(m_global.GetRootWnd(), nullptr);
    EXPECT_EQ(m_global.GetRenderer(), nullptr);
    EXPECT_TRUE(m_global.CommandMgr().GetCatalogue().m_vecCommands.empty());
    EXPECT_EQ(GetNetChkAppServices(), nullptr);
    EXPECT_EQ(FindNetChkMainWnd(), nullptr) << "the windows went with the tree";
}

TEST_F(GlobalTest, InitFailsWithoutACatalogueOrWithoutTheLayouts) {
    g_DetailInfo.strServerIP = "10.9.9.9";  // no rows for this segment
    EXPECT_FALSE(m_global.Init(&m_wnd, 640, 520));
    EXPECT_EQ(m_global.GetRootWnd(), nullptr);

    g_DetailInfo.strServerIP = "10.1.2.3";
    std::filesystem::remove("interface");
    EXPECT_FALSE(m_global.Init(&m_wnd, 640, 520));
    EXPECT_TRUE(Logged("界面布局[interface/netchkroot.auf]加载失败"));
}

TEST_F(GlobalTest, OneMessagePerPassFramesOnlyOnAnEmptyQueueAndCloseQuits) {
    ASSERT_TRUE(m_global.Init(&m_wnd, 640, 520));
    m_global.SetAppState(INetChk_RunHost::kAppIdle);
    m_wnd.InjectMessage(WM_MOUSEMOVE, 0, 0);
    m_wnd.InjectMessage(WM_ACTIVATEAPP, 1, 0);
    m_wnd.InjectMessage(WM_ACTIVATEAPP, 0, 0);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(NetChkApp::RunMessageLoopPass(m_wnd, m_global));
    EXPECT_EQ(m_wnd.GetQueuedCount(), 0u);
    EXPECT_TRUE(m_clock.m_vecSleeps.empty()) << "no frame while messages waited";
    EXPECT_EQ(m_global.GetDefaultProcCount(), 2u) << "what the GUI does not take goes on to the default procedure";
    ASSERT_TRUE(NetChkApp::RunMessageLoopPass(m_wnd, m_global));
    EXPECT_EQ(m_clock.m_vecSleeps.size(), 1u);

    // Closing the window: destroy, quit, and the loop ends with code 0 before further input.
    m_wnd.InjectMessage(WM_CLOSE, 0, 0);
    m_wnd.InjectMessage(WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(NetChkApp::RunMessageLoop(m_wnd, m_global), 0);
    EXPECT_TRUE(m_global.IsQuitPosted());
    EXPECT_EQ(m_wnd.GetQueuedCount(), 1u);
    EXPECT_EQ(m_global.GetDefaultProcCount(), 2u) << "WM_CLOSE and WM_DESTROY are the procedure's own";
}

TEST_F(GlobalTest, AltKeysGoToTheGuiRootOnlyOthersThroughTheProcedure) {
    ASSERT_TRUE(m_global.Init(&m_wnd, 640, 520));
    m_global.SetAppState(INetChk_RunHost::kAppIdle);
    KeySpy spy;
    m_global.GetRootWnd()->GetManager()->RegisterHook(&spy, {WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP, WM_SYSKEYUP},
                                                       false, true);
    // The null window's key state follows injection, so each message is taken before the next comes.
    const std::pair<uint32_t, int> altF4[] = {
        {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, kVkF4}, {WM_SYSKEYUP, kVkF4}, {WM_KEYUP, VK_MENU}};
    for (const auto& key : altF4) {
        m_wnd.InjectMessage(key.first, static_cast<KXPlatform::WParam>(key.second), 0);
        NetChkApp::RunMessageLoopPass(m_wnd, m_global);
    }
    // The Alt release itself comes when Alt is up again: it takes the procedure's way.
    EXPECT_EQ(m_global.GetDefaultProcCount(), 1u) << "Alt+F4 never reaches the system's handling";
    EXPECT_FALSE(m_global.IsQuitPosted());
    const size_t nSeenWithAlt = spy.m_vecSeen.size();
    EXPECT_EQ(nSeenWithAlt, 4u);

    // Without Alt the same keys pass the procedure: the GUI first, then the default handling.
    m_wnd.InjectMessage(WM_KEYDOWN, kVkF4, 0);
    m_wnd.InjectMessage(WM_KEYUP, kVkF4, 0);
    for (int i = 0; i < 2; ++i) NetChkApp::RunMessageLoopPass(m_wnd, m_global);
    EXPECT_EQ(spy.m_vecSeen.size(), nSeenWithAlt + 2);
    EXPECT_EQ(m_global.GetDefaultProcCount(), 3u);
    m_global.GetRootWnd()->GetManager()->UnRegisterHook(&spy, false);

    // The fatal path of the check engine ends the program as closing does.
    m_global.RequestQuit();
    EXPECT_FALSE(NetChkApp::RunMessageLoopPass(m_wnd, m_global));
    EXPECT_EQ(m_global.GetQuitCode(), 0);
}

}  // namespace

namespace {

class MessageOnlyView : public INetChkUploadView {
public:
    bool IsReportWndVisible() override { return false; }
    void ResumeEditing() override {}
    void HideReportWnd() override {}
    void ShowMessage(const std::string& strText) override { vecMessages.push_back(strText); }
    std::vector<std::string> vecMessages;
};

TEST_F(GlobalTest, AnUploadIsPolledByTheFrameAndTimesOutOnTheFrameClock) {
    WriteTestFile("config/sys/NetChk_string_def.csv",
                  ReadTestFile("config/sys/NetChk_string_def.csv") + "Ntc_Uploade_Failed,failed hand in %s\n");
    ASSERT_TRUE(m_global.Init(&m_wnd, 640, 520));
    m_global.StopCheck();
    m_global.SetAppState(INetChk_RunHost::kAppIdle);
    LoopbackServer silent(LoopbackServer::Mode::Silent);
    g_DetailInfo.uPlatformAddress = 0x0100007Fu;
    g_DetailInfo.nPort = silent.Port();
    g_DetailInfo.strNetType = "n";
    g_DetailInfo.nUploadLimitMs = 200;
    MessageOnlyView view;
    m_global.SetUploadView(&view);

    ASSERT_TRUE(m_global.StartUpload());
    EXPECT_EQ(m_global.GetAppState(), INetChk_RunHost::kAppUploading);
    // Every frame sleeps 33 ms on the frame clock: the seventh one is past the 200 ms limit.
    int nFrames = 0;
    while (m_global.GetAppState() == INetChk_RunHost::kAppUploading && nFrames < 50) {
        m_global.Frame();
        ++nFrames;
    }
    EXPECT_EQ(nFrames, 8);
    EXPECT_EQ(m_global.GetAppState(), INetChk_RunHost::kAppIdle);
    EXPECT_EQ(m_global.Uploader().GetResultCode(), 2);
    ASSERT_EQ(view.vecMessages.size(), 1u);
    EXPECT_NE(view.vecMessages[0].find("S1.txt"), std::string::npos) << "the failure names the result file";
}

TEST_F(GlobalTest, TheUploadingLineStepsEveryHalfSecondAndStopsWithTheResult) {
    WriteTestFile("config/sys/NetChk_string_def.csv",
                  ReadTestFile("config/sys/NetChk_string_def.csv") +
                      "Ntc_Uploade_Uploading,uploading\nNtc_Uploade_Failed,failed %s\nNtc_Uploade_UnameWrong,unknown\n");
    ASSERT_TRUE(m_global.Init(&m_wnd, 640, 520));
    m_global.StopCheck();
    m_global.SetAppState(INetChk_RunHost::kAppIdle);
    auto silent = std::make_unique<LoopbackServer>(LoopbackServer::Mode::Silent);
    g_DetailInfo.uPlatformAddress = 0x0100007Fu;
    g_DetailInfo.nPort = silent->Port();
    g_DetailInfo.strNetType = "n";
    g_DetailInfo.nUploadLimitMs = 100000;

    CNetChkCommitWnd* pWnd = GetNetChkCommitWnd();
    ASSERT_NE(pWnd, nullptr);
    auto* pName = dynamic_cast<ArkGui::CArkEdit*>(pWnd->FindChild("NameEditWnd"));
    auto* pDesc = dynamic_cast<ArkGui::CArkEdit*>(pWnd->FindChild("DescripEditWnd"));
    ArkGui::CArkWnd* pLine = pWnd->FindChild("CommittingWnd");
    ArkGui::CArkWnd* pCommit = pWnd->FindChild("CommitdBtn");
    ASSERT_TRUE(pName && pDesc && pLine && pCommit);
    pWnd->Show(true);
    pName->SetText("hero");
    pDesc->SetText("slow");
    m_global.Frame();
    auto commit = [&] {
        pWnd->OnNotify(pCommit, ArkGui::ARK_NOTIFY_CLICK, 0, 0);
        ASSERT_EQ(m_global.GetAppState(), INetChk_RunHost::kAppUploading);
    };
    commit();
    EXPECT_TRUE(pLine->IsVisible());

    // Frame by frame on the frame clock: the line is the text and 0 to 3 dots, one more (wrapping to
    // none) at the first frame at least half a second after the last step.
    struct Step {
        uint32_t uTick;
        size_t uDots;
    };
    std::vector<Step> steps;
    const uint32_t uStart = m_global.GetAppTick();
    std::string last = "not yet drawn";
    while (m_global.GetAppTick() - uStart < 3600) {
        const uint32_t uFrameTick = m_global.GetAppTick();  // what the frame's update sees
        m_global.Frame();
        const std::string text = pLine->GetText();
        ASSERT_EQ(text.compare(0, 9, "uploading"), 0) << text;
        ASSERT_EQ(text.find_first_not_of('.', 9), std::string::npos) << text;
        if (text != last) steps.push_back({uFrameTick, text.size() - 9});
        last = text;
    }
    ASSERT_GE(steps.size(), 7u);
    EXPECT_EQ(steps[0].uDots, 0u);
    for (size_t i = 1; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].uDots, (steps[i - 1].uDots + 1) % 4) << i;
        const uint32_t uGap = steps[i].uTick - (i == 1 ? uStart : steps[i - 1].uTick);
        EXPECT_GE(uGap, 500u) << i;
        EXPECT_LT(uGap, 500u + 34u) << i;  // the frame that passes the half second
    }

    // The time limit ends it: the window goes with its line.
    g_DetailInfo.nUploadLimitMs = 0;
    m_global.Frame();
    EXPECT_EQ(m_global.GetAppState(), INetChk_RunHost::kAppIdle);
    EXPECT_FALSE(pWnd->IsVisible());
    silent.reset();

    // Unknown account: the window stays for editing, and the line is gone and stays still.
    LoopbackServer unknown(LoopbackServer::Mode::Answer, "{ret=-2}");
    g_DetailInfo.nPort = unknown.Port();
    g_DetailInfo.nUploadLimitMs = 100000;
    pWnd->Show(true);
    EXPECT_FALSE(pLine->IsVisible());
    m_global.Frame();
    commit();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (m_global.GetAppState() == INetChk_RunHost::kAppUploading && std::chrono::steady_clock::now() < deadline) {
        m_global.Frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(m_global.Uploader().GetResultCode(), 1);
    EXPECT_TRUE(pWnd->IsVisible());
    EXPECT_TRUE(pCommit->IsVisible());
    EXPECT_FALSE(pLine->IsVisible());
    const std::string stopped = pLine->GetText();
    for (int i = 0; i < 40; ++i) m_global.Frame();
    EXPECT_EQ(pLine->GetText(), stopped);
}

}  // namespace
