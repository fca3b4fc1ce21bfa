// Start-up's early exits: each ends with exit code 0 after its message, before any window exists.
#include "AppTest_Fixture.h"

#include "app/NetChk_AppDefs.h"
#include "app/NetChk_Global.h"
#include "app/NetChk_Startup.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

namespace {

using NetChkApp::StartupPlatform;

class StartupTest : public AppFixture {
protected:
    StartupTest() {
        WriteTestFile("data/log/.keep", "");
        WriteTestFile("data/netcheck.ini", "[netcheck]\nClient=0\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=/p\n");
        m_platform.fnAnotherInstanceRuns = [] { return false; };
        m_platform.fnStartupSockets = [] { return 0; };
        m_platform.fnCreateWindow = [this] {
            ++m_nWindowsMade;
            return std::unique_ptr<KXPlatform::IHostWindow>(new KXPlatform::CKXPlatform_NullHostWindow);
        };
    }
    ~StartupTest() override { KXPlatform::SetCurrentDir(m_dir.Path().c_str()); }

    int Run() { return NetChkApp::RunNetCheck({"QVRTNetcheck"}, m_global, m_platform); }
    std::string OnlyBox() const {
        const auto texts = m_boxes.Texts();
        return texts.size() == 1 ? texts[0] : "boxes shown: " + std::to_string(texts.size());
    }

    StartupPlatform m_platform;
    CNetChk_Global m_global;
    int m_nWindowsMade = 0;
};

TEST_F(StartupTest, ASecondInstanceIsRefusedBeforeAnythingElse) {
    m_platform.fnAnotherInstanceRuns = [] { return true; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(OnlyBox(), NetChkApp::kMsgAlreadyRunning);
    EXPECT_EQ(KXPlatform::GetCurrentDir(), m_dir.Path()) << "it never went into data";
    EXPECT_EQ(m_nWindowsMade, 0);
}

TEST_F(StartupTest, TheSocketLibraryFailingEndsStartUpWithItsCode) {
    m_platform.fnStartupSockets = [] { return 10091; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(KXPlatform::GetCurrentDir(), m_dir / "data");
    EXPECT_EQ(OnlyBox(), "初始化网络环境出错，错误码:10091。请联系客服！");
    EXPECT_TRUE(Logged("WSAStartup 创建异步套接字初始化失败 error: [10091]"));
    EXPECT_EQ(m_nWindowsMade, 0);
}

TEST_F(StartupTest, ConfigurationAndInitialisationFailuresEndWithCodeZero) {
    WriteTestFile("data/netcheck.ini", "[netcheck]\nClient=1\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(OnlyBox(), NetChkApp::kMsgUseLauncher);
    EXPECT_EQ(m_nWindowsMade, 0);

    // A configuration that loads but no catalogue for the server: the window is made, Init fails.
    KXPlatform::SetCurrentDir(m_dir.Path().c_str());
    WriteTestFile("data/netcheck.ini", "[netcheck]\nClient=0\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=/p\n");
    m_global.CommandMgr().SetExeDir(m_dir.Path());
    m_boxes.Clear();
    EXPECT_EQ(Run(), 0);
    // The catalogue's own kernel box ("no table") comes first.
    ASSERT_FALSE(m_boxes.Texts().empty());
    EXPECT_EQ(m_boxes.Texts().back(), NetChkApp::kMsgInitFailed);
    EXPECT_EQ(m_nWindowsMade, 1);
    EXPECT_TRUE(Logged("Init QVRTNetcheck：开始执行应用程序初始化---"));
    EXPECT_FALSE(Logged("Init QVRTNetcheck：应用程序初始化结束---"));
}

}  // namespace
