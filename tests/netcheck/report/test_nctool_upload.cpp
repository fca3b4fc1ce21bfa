// nctool upload and nctool carrier end to end: UTF-8 arguments and output, the request on the wire.
#include "common/NcTest_LoopbackServer.h"
#include "common/NcTest_Tool.h"
#include "netcheck/report/NcTest_UploadFixture.h"

namespace {

using NcToolUploadTest = UploadTest;

TEST_F(NcToolUploadTest, UploadAndCarrier) {
    WriteTestFile(m_Dir / "page.html", "[127.0.0.1]");
    const std::string strPage = NcTestFileUrl(m_Dir / "page.html");
    ToolResult carrier = RunNcTool({"carrier", "--ip-page", strPage});
    EXPECT_EQ(carrier.nExitCode, 0);
    EXPECT_EQ(carrier.strOut, u8"环回\n");

    WriteTestFile("report.txt", "第一行\nsecond\n");
    LoopbackServer server(LoopbackServer::Mode::Answer, "HTTP/1.1 200 OK\r\n\r\n{ret=5}");
    ToolResult upload = RunNcTool({"upload", "--ip", "127.0.0.1", "--port", std::to_string(server.Port()), "--domain",
                                   "h.example", "--page", "/r.asp", "--user", u8"玩家", "--desc", u8"慢", "--ip-page",
                                   strPage, "report.txt"});
    EXPECT_EQ(upload.nExitCode, 0);
    EXPECT_EQ(upload.strOut, u8"code=0 ret=5\nmessage 成功编号5\n");
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string req = server.Requests()[0];
    EXPECT_EQ(req.rfind("POST /r.asp  HTTP/1.1\nHOST: h.example\n", 0), 0u);
    EXPECT_NE(req.find("UserName=%E7%8E%A9%E5%AE%B6&"), std::string::npos);
    EXPECT_NE(req.find("&NetType=%E7%8E%AF%E5%9B%9E&Description=%E6%85%A2&"), std::string::npos);
    // Arguments and output are UTF-8; the report file's bytes are GBK as stored and travel converted like every form value.
    EXPECT_NE(req.find("&CheckContent=%E7%AC%AC%E4%B8%80%E8%A1%8C%40%40%40second%40%40%40"), std::string::npos);

    ToolResult refused = RunNcTool({"upload", "--ip", "127.0.0.1", "--port",
                                    std::to_string(LoopbackServer::UnusedPort()), "--domain", "h", "--page", "/r",
                                    "--nettype", "x", "--server", u8"区服", "report.txt"});
    EXPECT_EQ(refused.nExitCode, 0);
    EXPECT_EQ(refused.strOut, u8"code=2 ret=0\nmessage 失败请交区服.txt\n");
}

}  // namespace
