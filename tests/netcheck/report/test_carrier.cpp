// The carrier lookup: the address in the page, the ranges of IP.csv, and the temporary file.
#include "common/NcTest_LoopbackServer.h"
#include "netcheck/report/NcTest_UploadFixture.h"

#include "netcheck/report/NetChk_Carrier.h"

#include <filesystem>

namespace {

class CarrierTest : public UploadTest {
protected:
    // The carrier for a page with the given text, served from a file; the temporary file must be gone.
    std::string CarrierForPage(const std::string& strPage) {
        WriteTestFile(m_Dir / "page.html", strPage);
        std::string strCarrier = "unchanged";
        LookupCarrier(strCarrier, NcTestFileUrl(m_Dir / "page.html"));
        EXPECT_FALSE(std::filesystem::exists("userip.txt")) << strPage;
        return strCarrier;
    }
};

TEST_F(CarrierTest, AddressBetweenTheBrackets) {
    WriteTestFile("config/sys/IP.csv",
                  "StartIP,EndIP,Carrier\n"
                  "16909056,16909311,甲\n"     // 1.2.3.0 - 1.2.3.255
                  "16909060,16909060,乙\n"     // 1.2.3.4 alone: the earlier row wins
                  "167772160,167772415,\n"     // 10.0.0.0 - 10.0.0.255, no carrier
                  "167772160,184549375,丙\n"   // 10.0.0.0 - 10.255.255.255
                  "4294967040,4294967295,丁\n");  // 255.255.255.0 - 255.255.255.255
    EXPECT_EQ(CarrierForPage("您的IP：[1.2.3.4] 来自某地"), "甲");
    EXPECT_TRUE(m_Sink.Has("获得了玩家出口ip，为1.2.3.4，解析出来的数字为16909060！"));
    EXPECT_TRUE(m_Sink.Has("该ip在ip段 16909056 到 16909311"));
    EXPECT_EQ(CarrierForPage("[a [1.2.3.4] b]"), "甲");
    EXPECT_EQ(CarrierForPage("x1.2.3.9] no opening bracket"), "甲");  // from the second byte
    EXPECT_EQ(CarrierForPage("[10.0.0.7]"), "其他");                   // first match has no carrier
    EXPECT_EQ(CarrierForPage("[10.1.0.7]"), "丙");
    EXPECT_EQ(CarrierForPage("[255.255.255.255]"), "其他");
    EXPECT_EQ(CarrierForPage("[99.0.0.1]"), "其他");
    EXPECT_EQ(CarrierForPage("[1.2.3.4"), "其他");
    EXPECT_EQ(CarrierForPage("[not.an.address]"), "其他");
    EXPECT_TRUE(m_Sink.Has("not.an.address为无效ip，解析失败！"));
    EXPECT_EQ(CarrierForPage("[1.2.3.4           ]"), "其他");  // 17 bytes: ignored
    EXPECT_EQ(CarrierForPage(""), "其他");
}

TEST_F(CarrierTest, MissingPageOrTableLeavesOther) {
    std::string strCarrier = "unchanged";
    LookupCarrier(strCarrier, NcTestFileUrl(m_Dir / "absent.html"));
    EXPECT_EQ(strCarrier, "其他");
    EXPECT_TRUE(m_Sink.Has("下载临时ip文件失败！"));
    EXPECT_FALSE(std::filesystem::exists("userip.txt"));

    // A server that closes at once: the download fails like an unreachable page.
    LoopbackServer closing(LoopbackServer::Mode::CloseEarly);
    strCarrier = "unchanged";
    LookupCarrier(strCarrier, "http://127.0.0.1:" + std::to_string(closing.Port()) + "/ip2city.asp");
    EXPECT_EQ(strCarrier, "其他");
    EXPECT_FALSE(std::filesystem::exists("userip.txt"));

    std::filesystem::remove("config/sys/IP.csv");
    WriteTestFile(m_Dir / "page.html", "[127.0.0.1]");
    LookupCarrier(strCarrier, NcTestFileUrl(m_Dir / "page.html"));
    EXPECT_EQ(strCarrier, "其他");
    EXPECT_TRUE(m_Sink.Has("读ip表[./config/sys/IP.csv]失败！"));
}

}  // namespace
