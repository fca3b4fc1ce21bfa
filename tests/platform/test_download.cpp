// Downloads into memory and into files: file:// (with Chinese file names) and a loopback HTTP server.
#include "KX_Platform/KXPlatform_Download.h"
#include "KX_Platform/KXPlatform_Encoding.h"
#include "common/NcTest_LoopbackServer.h"
#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using KXPlatform::DownloadOptions;
using KXPlatform::DownloadStatus;
using KXPlatform::DownloadToFile;
using KXPlatform::DownloadToMemory;

std::string HttpUrl(const LoopbackServer& server) {
    return "http://127.0.0.1:" + std::to_string(server.Port()) + "/net_check.xml";
}

TEST(Download, FileUrlsAndTheSizeLimit) {
    ScopedTempDir dir;
    const std::string body(3000, 'z');
    WriteTestFile(dir / "doc.bin", body);
    std::string buffer = "kept:";
    DownloadOptions options;
    EXPECT_EQ(DownloadStatus::Ok, DownloadToMemory(NcTestFileUrl(dir / "doc.bin").c_str(), options, buffer).eStatus);
    EXPECT_EQ("kept:" + body, buffer);

    buffer.clear();
    EXPECT_EQ(DownloadStatus::OpenFailed, DownloadToMemory(NcTestFileUrl(dir / "none").c_str(), options, buffer).eStatus);
    EXPECT_EQ(DownloadStatus::OpenFailed, DownloadToMemory("gopher://x/", options, buffer).eStatus);
    EXPECT_EQ(DownloadStatus::OpenFailed, DownloadToMemory("not a url", options, buffer).eStatus);
    EXPECT_TRUE(buffer.empty());

    options.uMaxBytes = 1000;
    const KXPlatform::DownloadResult big = DownloadToMemory(NcTestFileUrl(dir / "doc.bin").c_str(), options, buffer);
    EXPECT_EQ(DownloadStatus::ReadFailed, big.eStatus);
    EXPECT_NE(0, big.nErrorCode);
    EXPECT_LE(buffer.size(), 1000u);
}

TEST(Download, ChineseFileNamesInTheSystemsEncoding) {
    ScopedTempDir dir;
    // "网络检测" in GBK, as the program holds it; the system's encoding on the way out.
    const std::string strFrom = dir / KXPlatform::ToSystemText("\xCD\xF8\xC2\xE7\xBC\xEC\xB2\xE2.xml");
    const std::string strTo = dir / KXPlatform::ToSystemText("\xCF\xC2\xD4\xD8.txt");  // "下载"
    WriteTestFile(strFrom, "<net/>");
    std::string buffer;
    EXPECT_EQ(DownloadStatus::Ok, DownloadToMemory(NcTestFileUrl(strFrom).c_str(), DownloadOptions(), buffer).eStatus);
    EXPECT_EQ("<net/>", buffer);
    EXPECT_EQ(DownloadStatus::Ok, DownloadToFile(NcTestFileUrl(strFrom).c_str(), DownloadOptions(), strTo.c_str()).eStatus);
    EXPECT_EQ("<net/>", ReadTestFile(strTo));
    // Nothing is written when the source is missing.
    const std::string strMissing = dir / KXPlatform::ToSystemText("\xC8\xB1.txt");  // "缺"
    EXPECT_EQ(DownloadStatus::OpenFailed,
              DownloadToFile(NcTestFileUrl(dir / "none.xml").c_str(), DownloadOptions(), strMissing.c_str()).eStatus);
    EXPECT_EQ("", ReadTestFile(strMissing));
}

TEST(Download, HttpStatusIsIgnoredAndNoCacheIsAsked) {
    LoopbackServer server(LoopbackServer::Mode::Answer,
                          "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    std::string buffer;
    const KXPlatform::DownloadResult result = DownloadToMemory(HttpUrl(server).c_str(), DownloadOptions(), buffer);
    EXPECT_EQ(DownloadStatus::Ok, result.eStatus);
    EXPECT_EQ("not found", buffer);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].rfind("GET /net_check.xml HTTP/1.1\r\n", 0), 0u) << server.Requests()[0];
    EXPECT_NE(std::string::npos, server.Requests()[0].find("Cache-Control: no-cache"));
}

TEST(Download, RefusedBrokenAndSilentServers) {
    {
        std::string buffer;
        const std::string strUrl = "http://127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()) + "/x";
        EXPECT_EQ(DownloadStatus::OpenFailed, DownloadToMemory(strUrl.c_str(), DownloadOptions(), buffer).eStatus);
    }
    {
        LoopbackServer server(LoopbackServer::Mode::Answer, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        std::string buffer;
        EXPECT_EQ(DownloadStatus::ReadFailed, DownloadToMemory(HttpUrl(server).c_str(), DownloadOptions(), buffer).eStatus);
        EXPECT_EQ("partial", buffer);
    }
    {
        // Connected, but not a byte arrives: the receive time-out ends the wait, and the connection goes.
        LoopbackServer server(LoopbackServer::Mode::Silent);
        DownloadOptions options;
        options.uReceiveTimeoutMs = 1000;
        std::string buffer;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(DownloadStatus::Ok, DownloadToMemory(HttpUrl(server).c_str(), options, buffer).eStatus);
        const auto seconds =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() / 1000.0;
        EXPECT_GE(seconds, 0.9);
        EXPECT_LT(seconds, 2.9);
        EXPECT_TRUE(server.WaitClientClose(5000));
    }
}

}  // namespace
