// LoadConfig: the launcher's arguments, netcheck.ini, and every way a start-up configuration fails.
#include "AppTest_Fixture.h"

#include "app/NetChk_AppDefs.h"
#include "app/NetChk_Config.h"
#include "KX_Platform/KXPlatform_OpenUrl.h"

#include <string>
#include <vector>

namespace {

using NetChkApp::LoadConfig;

const std::string kLauncherMsg = NetChkApp::kMsgUseLauncher;

class LoadConfigTest : public AppFixture {
protected:
    void WriteIni(const std::string& strBody) { WriteTestFile("netcheck.ini", "[netcheck]\n" + strBody); }
    // The text of the one box start-up showed, after checking its caption and icon.
    std::string OnlyBox() const {
        const auto shown = m_boxes.Shown();
        if (shown.size() != 1) return "boxes shown: " + std::to_string(shown.size());
        EXPECT_EQ(shown[0].strCaption, NetChkApp::kMsgBoxCaption);
        EXPECT_EQ(shown[0].eIcon, KXPlatform::MsgBoxIcon::Error);
        EXPECT_FALSE(shown[0].bOwnedByActiveWindow);
        return shown[0].strText;
    }
};

TEST_F(LoadConfigTest, TheLaunchersFourArgumentsWinOverTheIniServerLines) {
    WriteIni("Client=1\nServerName=ini\nServerIP=9.9.9.9\nDomain=127.0.0.1\nPage=/p\n");
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck", "player", "服务器一", "10.1.2.3", "华东区", "extra", "more"}));
    EXPECT_EQ(g_DetailInfo.strUserName, "player");
    EXPECT_EQ(g_DetailInfo.strServerName, "服务器一");
    EXPECT_EQ(g_DetailInfo.strServerIP, "10.1.2.3");
    EXPECT_EQ(g_DetailInfo.strGroupName, "华东区");
    EXPECT_TRUE(Logged("从客户端传过来的，用户名[player]，服务器名[服务器一]，服务器网段[10.1.2.3]，大区名称[华东区]"));
    EXPECT_EQ(m_boxes.Count(), 0u);

    // The launcher passes the address as the account before the player has logged in.
    g_DetailInfo = NetChk_DetailInfo();
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck", "10.1.2.3", "S", "10.1.2.3", "G"}));
    EXPECT_EQ(g_DetailInfo.strUserName, "请输入游戏账号");

    // Arguments are stored as they are, even one that is no address: only the ini's address is checked.
    g_DetailInfo = NetChk_DetailInfo();
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck", "u", "S", "not an address", "G"}));
    EXPECT_EQ(g_DetailInfo.strServerIP, "not an address");
}

TEST_F(LoadConfigTest, ThreeArgumentsOrNoIniMeanTheLauncherMessage) {
    // No netcheck.ini at all: Client defaults to 1.
    EXPECT_FALSE(LoadConfig({"QVRTNetcheck"}));
    EXPECT_EQ(OnlyBox(), kLauncherMsg);
    EXPECT_TRUE(Logged("要求用客户端启动！！"));

    // Three arguments are not the launcher's four: the ini decides, and Client=0 lets it run.
    m_boxes.Clear();
    WriteIni("Client=0\nServerName=本机\nGroupName=开发\nServerIP=127.0.0.1\nDomain=127.0.0.1\nPage=/p\n");
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck", "u", "S", "10.1.2.3"}));
    EXPECT_EQ(g_DetailInfo.strServerName, "本机");
    EXPECT_EQ(g_DetailInfo.strServerIP, "127.0.0.1");
    EXPECT_EQ(g_DetailInfo.strUserName, "请输入游戏账号") << "the account keeps its start value";
    EXPECT_EQ(m_boxes.Count(), 0u);

    WriteIni("Client=2\nServerIP=127.0.0.1\nDomain=127.0.0.1\nPage=/p\n");
    EXPECT_FALSE(LoadConfig({"QVRTNetcheck", "u", "S", "10.1.2.3"}));
    EXPECT_EQ(OnlyBox(), kLauncherMsg);
}

TEST_F(LoadConfigTest, EachBadSettingHasItsLineAndItsMessage) {
    struct Case {
        const char* szIni;
        std::string strLog;
        std::string strBoxStart;
    } cases[] = {
        {"Client=0\nServerIP=10.1.2.256\nDomain=127.0.0.1\nPage=/p\n", "服务器ip[10.1.2.256]配错了，错误码", kLauncherMsg},
        {"Client=0\nServerIP=abc\nDomain=127.0.0.1\nPage=/p\n", "服务器ip[abc]配错了", kLauncherMsg},
        {"Client=0\nDomain=127.0.0.1\nPage=/p\n", "服务器ip[]配错了", kLauncherMsg},
        {"Client=0\nServerIP=10.1.2.3\nPage=/p\n", "无法获得平台ip，错误码", "无法获得平台ip，错误码:"},
        // Resolves, but the broadcast address cannot be told from the conversion's failure value.
        {"Client=0\nServerIP=10.1.2.3\nDomain=255.255.255.255\nPage=/p\n", "解析平台ip[255.255.255.255]出错，错误码",
         "解析平台ip[255.255.255.255]出错，错误码:"},
        {"Client=0\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=\n", "找不到平台服务器页面！！", "找不到平台服务器页面，请联系客服！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szIni);
        m_boxes.Clear();
        m_log.Clear();
        WriteIni(c.szIni);
        EXPECT_FALSE(LoadConfig({"QVRTNetcheck"}));
        EXPECT_TRUE(Logged(c.strLog));
        const std::string box = OnlyBox();
        EXPECT_EQ(box.compare(0, c.strBoxStart.size(), c.strBoxStart), 0) << box;
    }
    // The message ends with its own words after the code.
    m_boxes.Clear();
    WriteIni("Client=0\nServerIP=10.1.2.3\nPage=/p\n");
    EXPECT_FALSE(LoadConfig({"QVRTNetcheck"}));
    const std::string box = OnlyBox();
    EXPECT_NE(box.find("。请联系客服！"), std::string::npos) << box;
    EXPECT_EQ(box.find("错误码:0。"), std::string::npos) << "the resolver's error code is shown: " << box;
}

TEST_F(LoadConfigTest, ThePlatformServerAndTheNumbers) {
    WriteIni("Client=0\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=/report\n");
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck"}));
    EXPECT_EQ(g_DetailInfo.uPlatformAddress, 0x0100007Fu) << "127.0.0.1 in network byte order";
    EXPECT_EQ(g_DetailInfo.strDomain, "127.0.0.1");
    EXPECT_EQ(g_DetailInfo.strPage, "/report");
    EXPECT_EQ(g_DetailInfo.nPort, 80);
    EXPECT_EQ(g_DetailInfo.nUploadLimitMs, 180000);
    EXPECT_TRUE(GetReadPackFirst()) << "without ReadPackFirst the pack archive comes first";

    WriteIni("Client=0\nServerIP=10.1.2.3\nDomain=localhost\nPage=/report\nPort=8080x\nUploadLimitMs=5000\n"
             "ReadPackFirst=1\n");
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck"}));
    EXPECT_EQ(g_DetailInfo.uPlatformAddress, 0x0100007Fu);
    EXPECT_EQ(g_DetailInfo.nPort, 8080);
    EXPECT_EQ(g_DetailInfo.nUploadLimitMs, 5000);
    EXPECT_FALSE(GetReadPackFirst()) << "1 lets loose files win";

    EXPECT_EQ(KXPlatform::GetFallbackBrowser(), "");

    WriteIni("Client=0\nServerIP=10.1.2.3\nDomain=127.0.0.1\nPage=/report\nReadPackFirst=0\n"
             "Browser=/opt/浏览器/firefox\n");
    ASSERT_TRUE(LoadConfig({"QVRTNetcheck"}));
    EXPECT_TRUE(GetReadPackFirst()) << "0, not 1, selects the pack archive first";
    EXPECT_EQ(KXPlatform::GetFallbackBrowser(), "/opt/浏览器/firefox");
    KXPlatform::SetFallbackBrowser("");
}

}  // namespace
