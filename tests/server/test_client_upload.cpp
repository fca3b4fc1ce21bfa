// The program's own upload (nctool upload sends the program's exact request bytes) against ncserver.
#include "common/NcTest_Paths.h"
#include "common/NcTest_Tool.h"
#include "server/NcServerTest_Fixture.h"

#include "KX_Platform/KXPlatform_Encoding.h"

namespace {

class ClientUpload : public ServerTest {};

TEST_P(ClientUpload, TheProgramsRequestIsStoredAsSent) {
    StartServer();
    // The report file holds GBK, as the program saves it; the server receives and keeps UTF-8.
    const std::string strReport = "网络质量：较差\n" +
                                  ReadTestFile(NcTestSourceDir() + "/tests/data/server/ping_windows_cn.txt") +
                                  ReadTestFile(NcTestSourceDir() + "/tests/data/server/ping_iputils.txt");
    WriteTestFile(m_tmp / "report.txt", KXPlatform::Utf8ToGbk(strReport));
    const ToolResult result =
        RunNcTool({"upload", "--ip", "127.0.0.1", "--port", std::to_string(Port()), "--domain", "127.0.0.1", "--page",
                   m_config.strPage, "--user", "玩家_01", "--question", "网络检测", "--server", "本机测试服", "--nettype",
                   "电信", "--desc", "晚上 卡顿 & 掉线 100%", m_tmp / "report.txt"});
    ASSERT_EQ(result.nExitCode, 0) << result.strErr;
    long nRet = 0;
    ASSERT_EQ(std::sscanf(result.strOut.c_str(), "code=0 ret=%ld", &nRet), 1) << result.strOut;
    ASSERT_GT(nRet, 0);

    NcReport stored;
    ASSERT_TRUE(m_pStore->GetReport(nRet, &stored));
    EXPECT_EQ(stored.strUserName, "玩家_01");
    EXPECT_EQ(stored.strQuestionType, "网络检测");
    EXPECT_EQ(stored.strServerName, "本机测试服");
    EXPECT_EQ(stored.strNetType, "电信");
    EXPECT_EQ(stored.strDescription, "晚上 卡顿 & 掉线 100%");
    // The report text comes back joined with "@@@"; the client sends carriage returns as "+", spaces.
    std::string strJoined;
    size_t uStart = 0;
    while (uStart < strReport.size()) {
        size_t uEnd = strReport.find('\n', uStart);
        if (uEnd == std::string::npos) uEnd = strReport.size();
        strJoined += strReport.substr(uStart, uEnd - uStart) + "@@@";
        uStart = uEnd + 1;
    }
    for (char& c : strJoined) {
        if (c == '\r') c = ' ';
    }
    EXPECT_EQ(stored.strCheckContent, strJoined);
    ASSERT_EQ(stored.vecFigures.size(), 2u);
    EXPECT_EQ(stored.vecFigures[0].strTarget, "192.168.1.1");
    EXPECT_EQ(stored.vecFigures[0].nAvgMs, 1);
    EXPECT_EQ(stored.vecFigures[0].nMaxMs, 3);
    EXPECT_EQ(stored.vecFigures[1].strTarget, "127.0.0.1");

    // Straight away again: the program reads -3 as its "within ten minutes" result.
    const ToolResult again =
        RunNcTool({"upload", "--ip", "127.0.0.1", "--port", std::to_string(Port()), "--domain", "127.0.0.1", "--page",
                   m_config.strPage, "--user", "玩家_01", "--nettype", "电信", m_tmp / "report.txt"});
    EXPECT_EQ(again.strOut.rfind("code=3 ", 0), 0u) << again.strOut;
    EXPECT_EQ(m_pStore->CountReports(), 1);
}

NC_SERVER_BACKENDS(ClientUpload);

}  // namespace
