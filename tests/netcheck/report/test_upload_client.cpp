// The upload against servers that misbehave, the time limit, and what the result handler shows.
#include "common/NcTest_LoopbackServer.h"
#include "netcheck/report/NcTest_UploadFixture.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

namespace {

using UploadClientTest = UploadTest;

TEST_F(UploadClientTest, FailingServersEndInCodeTwoNamingTheResultFile) {
    {
        Target(LoopbackServer::UnusedPort());
        CNetChk_UploadClient client;
        ASSERT_TRUE(RunUpload(client));
        EXPECT_EQ(client.GetResultCode(), 2);
        EXPECT_TRUE(m_Sink.Has("连接请求失败，错误码["));
        EXPECT_TRUE(m_Sink.Has("上传失败"));
    }
    {
        LoopbackServer server(LoopbackServer::Mode::CloseEarly);
        Target(server.Port());
        CNetChk_UploadClient client;
        ASSERT_TRUE(RunUpload(client));
        EXPECT_EQ(client.GetResultCode(), 2);  // an empty reply has no braces
    }
    ASSERT_EQ(m_View.vecMessages.size(), 2u);
    EXPECT_EQ(m_View.vecMessages[0], "失败请交srv.txt");
    EXPECT_EQ(m_View.vecMessages[1], "失败请交srv.txt");
}

TEST_F(UploadClientTest, RepliesInOneByteChunksAndLargeRepliesArriveWhole) {
    {
        LoopbackServer server(LoopbackServer::Mode::Answer, "HTTP/1.1 200 OK\r\n\r\nx{ret=-3}y", 1);
        Target(server.Port());
        CNetChk_UploadClient client;
        ASSERT_TRUE(RunUpload(client));
        EXPECT_EQ(g_DetailInfo.strReceived, "HTTP/1.1 200 OK\r\n\r\nx{ret=-3}y");
        EXPECT_EQ(client.GetResultCode(), 3);
        EXPECT_EQ(client.BuildResultMessage(), "重复0");  // the number of the last success: none yet
    }
    {
        // Ten megabytes of padding before the answer: every 500-byte piece is kept.
        LoopbackServer server(LoopbackServer::Mode::Answer, std::string(10u << 20, 'p') + "{ret=9}");
        Target(server.Port());
        CNetChk_UploadClient client;
        ASSERT_TRUE(RunUpload(client));
        EXPECT_EQ(g_DetailInfo.strReceived.size(), (10u << 20) + 7u);
        EXPECT_EQ(client.GetResultCode(), 0);
        EXPECT_EQ(client.GetReplyNumber(), 9);
    }
}

TEST_F(UploadClientTest, SilentServerIsAbandonedAtTheTimeLimit) {
    LoopbackServer silent(LoopbackServer::Mode::Silent);
    Target(silent.Port());
    g_DetailInfo.nUploadLimitMs = 1000;
    CNetChk_UploadClient client;
    client.SetResultTargets(&m_ResMgr, &m_View);
    ASSERT_TRUE(client.StartUpload(5000));
    // The request arrives, the server keeps quiet: the poll returns at once, frame after frame.
    for (int i = 0; i < 200 && silent.Requests().empty(); ++i) {
        EXPECT_FALSE(client.PollUpload(5000));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(client.PollUpload(6000));  // exactly the limit: still waiting
    EXPECT_TRUE(m_View.vecMessages.empty());
    EXPECT_TRUE(client.PollUpload(6001));
    EXPECT_EQ(client.GetResultCode(), 2);
    EXPECT_FALSE(client.IsRunning());
    EXPECT_TRUE(m_Sink.Has("上传时间太长，超过了上限，将终止。"));
    EXPECT_EQ(m_View.vecCalls, std::vector<std::string>{"hide"});
    ASSERT_EQ(m_View.vecMessages.size(), 1u);
    // The abandoned worker lets go of its connection at once instead of waiting for the server.
    EXPECT_TRUE(silent.WaitClientClose(5000));
}

TEST_F(UploadClientTest, NewUploadWhileAnOldOneIsBlocked) {
    LoopbackServer silent(LoopbackServer::Mode::Silent);
    LoopbackServer answering(LoopbackServer::Mode::Answer, "{ret=4}");
    Target(silent.Port());
    CNetChk_UploadClient client;
    client.SetResultTargets(&m_ResMgr, &m_View);
    ASSERT_TRUE(client.StartUpload(0));
    for (int i = 0; i < 200 && silent.Requests().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The old worker is still blocked in its receive when the next upload starts with other values.
    Target(answering.Port());
    g_DetailInfo.strUserName = "second";
    ASSERT_TRUE(RunUpload(client));
    EXPECT_EQ(client.GetResultCode(), 0);
    EXPECT_EQ(client.GetReplyNumber(), 4);
    EXPECT_EQ(g_DetailInfo.strReceived, "{ret=4}");
    ASSERT_EQ(answering.Requests().size(), 1u);
    EXPECT_NE(answering.Requests()[0].find("UserName=second&"), std::string::npos);
    EXPECT_TRUE(silent.WaitClientClose(5000));
    ASSERT_EQ(silent.Requests().size(), 1u);
    EXPECT_NE(silent.Requests()[0].find("UserName=player&"), std::string::npos);
}

TEST_F(UploadClientTest, NewUploadWhileAnAbandonedOneIsStillInItsCarrierLookup) {
    // The first worker waits on an address page that keeps quiet; the upload times out meanwhile.
    auto quietPage = std::make_unique<LoopbackServer>(LoopbackServer::Mode::Silent);
    LoopbackServer answering(LoopbackServer::Mode::Answer, "{ret=6}");
    Target(answering.Port());
    g_DetailInfo.strNetType.clear();
    g_DetailInfo.strIpPage = "http://127.0.0.1:" + std::to_string(quietPage->Port()) + "/ip2city.asp";
    g_DetailInfo.nUploadLimitMs = 100;
    CNetChk_UploadClient client;
    client.SetResultTargets(&m_ResMgr, &m_View);
    ASSERT_TRUE(client.StartUpload(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // Giving up on it does not wait for it (its page would keep it ten seconds).
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.PollUpload(101));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_EQ(client.GetResultCode(), 2);

    // The next upload looks its carrier up from another page and finishes while the first still waits.
    WriteTestFile(m_Dir / "page.html", "[127.0.0.1]");
    g_DetailInfo.strIpPage = NcTestFileUrl(m_Dir / "page.html");
    g_DetailInfo.strUserName = "second";
    g_DetailInfo.nUploadLimitMs = 180000;
    ASSERT_TRUE(RunUpload(client));
    EXPECT_EQ(client.GetResultCode(), 0);
    EXPECT_EQ(client.GetReplyNumber(), 6);
    EXPECT_EQ(g_DetailInfo.strNetType, "环回");

    // Released, the first worker ends without sending its stale report or touching what the second left.
    const std::string received = g_DetailInfo.strReceived;
    EXPECT_FALSE(m_Sink.Has("下载临时ip文件失败！"));
    quietPage.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!m_Sink.Has("下载临时ip文件失败！") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(m_Sink.Has("下载临时ip文件失败！"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(answering.Requests().size(), 1u);
    EXPECT_NE(answering.Requests()[0].find("UserName=second&"), std::string::npos);
    EXPECT_EQ(g_DetailInfo.strReceived, received);
    EXPECT_EQ(g_DetailInfo.strNetType, "环回");
    EXPECT_FALSE(std::filesystem::exists("userip.txt"));
}

TEST_F(UploadClientTest, UnknownAccountKeepsTheReportWindowForEditing) {
    for (const char* szReply : {"{ret=-2}", "{ret=-1}", "{ret=8}"}) {
        LoopbackServer server(LoopbackServer::Mode::Answer, szReply);
        Target(server.Port());
        m_View = RecordingUploadView();
        CNetChk_UploadClient client;
        ASSERT_TRUE(RunUpload(client));
        const bool bUnknown = std::string(szReply) == "{ret=-2}";
        EXPECT_EQ(m_View.vecCalls, std::vector<std::string>{bUnknown ? "resume" : "hide"}) << szReply;
        EXPECT_EQ(m_View.vecMessages.size(), 1u);
        if (bUnknown) {
            EXPECT_EQ(m_View.vecMessages[0], "账号错");
        }
    }
    // A hidden report window is left alone; the message still shows.
    LoopbackServer server(LoopbackServer::Mode::Answer, "{ret=-2}");
    Target(server.Port());
    m_View = RecordingUploadView();
    m_View.bVisible = false;
    CNetChk_UploadClient client;
    ASSERT_TRUE(RunUpload(client));
    EXPECT_TRUE(m_View.vecCalls.empty());
    EXPECT_EQ(m_View.vecMessages.size(), 1u);
}

TEST_F(UploadClientTest, EmptyNetTypeIsLookedUpAndKept) {
    WriteTestFile(m_Dir / "page.html", "<html>您的IP是：[127.0.0.1] 来自</html>");
    LoopbackServer server(LoopbackServer::Mode::Answer, "{ret=1}");
    Target(server.Port());
    g_DetailInfo.strNetType.clear();
    g_DetailInfo.strIpPage = NcTestFileUrl(m_Dir / "page.html");
    CNetChk_UploadClient client;
    ASSERT_TRUE(RunUpload(client));
    EXPECT_EQ(g_DetailInfo.strNetType, "环回");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("&NetType=%E7%8E%AF%E5%9B%9E&"), std::string::npos);
}

}  // namespace
