// The upload's bytes on the wire and the reading of replies.
#include "common/NcTest_LoopbackServer.h"
#include "netcheck/report/NcTest_UploadFixture.h"

#include "netcheck/report/NetChk_UploadForm.h"

namespace {

TEST(UploadForm, UrlEncodingOfEveryByteClass) {
    EXPECT_EQ(NetChk_URLEncode("azAZ09"), "azAZ09");
    EXPECT_EQ(NetChk_URLEncode(" \t\n\v\f\r"), "++++++");
    // The unreserved marks of other encoders are encoded here, and so is "+" itself.
    EXPECT_EQ(NetChk_URLEncode("-_.~@+%&="), "%2D%5F%2E%7E%40%2B%25%26%3D");
    EXPECT_EQ(NetChk_URLEncode(std::string("\x00\x1f\x7f\x80\xff", 5)), "%00%1F%7F%80%FF");
    EXPECT_EQ(NetChk_URLEncode("\x08\x0e"), "%08%0E");  // just outside the white-space range
}

TEST(UploadForm, ReportLinesJoined) {
    EXPECT_EQ(NetChk_JoinReportLines("a\nb\n"), "a@@@b@@@");
    EXPECT_EQ(NetChk_JoinReportLines("a\nb"), "a@@@b@@@");
    EXPECT_EQ(NetChk_JoinReportLines("\n\nc"), "@@@@@@c@@@");
    EXPECT_EQ(NetChk_JoinReportLines("a\r\nb\n"), "a\r@@@b@@@");
    EXPECT_EQ(NetChk_JoinReportLines(""), "");
}

TEST(UploadForm, RepliesGiveResultCodes) {
    struct Case {
        const char* szReply;
        int32_t nCode;
        int32_t nRet;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<p>{ret=17}</p>", 0, 17},
        {"{ret=-3}", 3, -3},
        {"{ret=-2}", 1, -2},
        {"{ret=-1}", 2, -1},
        {"{ret=-7}", 0, -7},
        {"{ret=abc}", 0, 0},
        {"{17}", 0, 0},  // no "=": the whole text, brace and all, reads as 0
        {"{ret=99999999999}", 0, INT32_MAX},  // held at the limit, never undefined
        {"}{ret=1}", 2, 0},
        {"{ret=1", 2, 0},
        {"ret=1}", 2, 0},
        {"HTTP/1.1 500 Internal Server Error\r\n\r\n", 2, 0},
    };
    for (const Case& c : cases) {
        int32_t nRet = 12345;
        bool bBraces = false;
        EXPECT_EQ(NetChk_ResultFromReply(c.szReply, nRet, bBraces), c.nCode) << c.szReply;
        EXPECT_EQ(nRet, c.nRet) << c.szReply;
    }
}

using UploadRequestTest = UploadTest;

TEST_F(UploadRequestTest, RequestBytesExactlyAsTheServerExpects) {
    LoopbackServer server(LoopbackServer::Mode::Answer, "HTTP/1.1 200 OK\r\n\r\n{ret=17}");
    Target(server.Port());
    g_DetailInfo.strUserName = "玩家 01";
    g_DetailInfo.strQuestionType = "网络检测";
    g_DetailInfo.strServerName = "S-1.a";
    g_DetailInfo.strNetType = "电信";
    g_DetailInfo.strDescription = "慢 a\tb";
    g_DetailInfo.strReportText = "a\nb\n";
    CNetChk_UploadClient client;
    ASSERT_TRUE(RunUpload(client));

    const std::string body =
        "UserName=%E7%8E%A9%E5%AE%B6+01"
        "&QuestionType=%E7%BD%91%E7%BB%9C%E6%A3%80%E6%B5%8B"
        "&ServerName=S%2D1%2Ea"
        "&NetType=%E7%94%B5%E4%BF%A1"
        "&Description=%E6%85%A2+a+b"
        "&CheckContent=a%40%40%40b%40%40%40";
    const std::string expected = "POST /report.asp  HTTP/1.1\n"
                                 "HOST: report.example\n"
                                 "Pragma: no-cache\n"
                                 "Content-Type: application/x-www-form-urlencoded\n"
                                 "Content-Length: " +
                                 std::to_string(body.size()) +
                                 "\n"
                                 "Connection: Close\n"
                                 "\n" +
                                 body;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], expected);
    EXPECT_EQ(client.GetResultCode(), 0);
    EXPECT_EQ(client.GetReplyNumber(), 17);
    ASSERT_EQ(m_View.vecMessages.size(), 1u);
    EXPECT_EQ(m_View.vecMessages[0], "成功编号17");
    EXPECT_EQ(g_DetailInfo.strReceived, "HTTP/1.1 200 OK\r\n\r\n{ret=17}");
    EXPECT_TRUE(m_Sink.Has("得到返回数据中ret= 17"));
}

}  // namespace
