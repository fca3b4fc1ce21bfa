// Downloads into memory: file:// and a one-shot HTTP server on 127.0.0.1 made by the test.
#include "KX_Platform/KXPlatform_Download.h"
#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Accepts one connection on an ephemeral port, reads the request head, answers with szReply (or stays
// silent when it is null) and closes after uHoldMs.
class OneShotServer {
public:
    OneShotServer(const char* szReply, uint32_t uHoldMs) {
        m_nListen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_nListen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        ::listen(m_nListen, 1);
        socklen_t len = sizeof(addr);
        ::getsockname(m_nListen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_uPort = ntohs(addr.sin_port);
        m_thread = std::thread([this, szReply, uHoldMs] {
            const int nConn = ::accept(m_nListen, nullptr, nullptr);
            if (nConn < 0) return;
            char buf[4096];
            while (m_strRequest.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(nConn, buf, sizeof(buf), 0);
                if (n <= 0) break;
                m_strRequest.append(buf, static_cast<size_t>(n));
            }
            if (szReply) ::send(nConn, szReply, std::strlen(szReply), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(uHoldMs));
            ::close(nConn);
        });
    }
    ~OneShotServer() {
        ::shutdown(m_nListen, SHUT_RDWR);
        m_thread.join();
        ::close(m_nListen);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_uPort) + "/net_check.xml"; }
    // Valid after the download returned.
    const std::string& Request() const { return m_strRequest; }

private:
    int m_nListen = -1;
    uint16_t m_uPort = 0;
    std::thread m_thread;
    std::string m_strRequest;
};

TEST(Download, FileUrlsAndTheSizeLimit) {
    ScopedTempDir dir;
    const std::string body(3000, 'z');
    WriteTestFile(dir / "doc.bin", body);
    std::string buffer = "kept:";
    KXPlatform::DownloadOptions options;
    EXPECT_EQ(KXPlatform::DownloadStatus::Ok, KXPlatform::DownloadToMemory(("file://" + dir.Path() + "/doc.bin").c_str(), options, buffer).eStatus);
    EXPECT_EQ("kept:" + body, buffer);

    buffer.clear();
    EXPECT_EQ(KXPlatform::DownloadStatus::OpenFailed,
              KXPlatform::DownloadToMemory(("file://" + dir.Path() + "/none").c_str(), options, buffer).eStatus);
    EXPECT_EQ(KXPlatform::DownloadStatus::OpenFailed, KXPlatform::DownloadToMemory("gopher://x/", options, buffer).eStatus);
    EXPECT_EQ(KXPlatform::DownloadStatus::OpenFailed, KXPlatform::DownloadToMemory("not a url", options, buffer).eStatus);

    options.uMaxBytes = 1000;
    const KXPlatform::DownloadResult big = KXPlatform::DownloadToMemory(("file://" + dir.Path() + "/doc.bin").c_str(), options, buffer);
    EXPECT_EQ(KXPlatform::DownloadStatus::ReadFailed, big.eStatus);
    EXPECT_NE(0, big.nErrorCode);
    EXPECT_LE(buffer.size(), 1000u);
}

TEST(Download, HttpStatusIsIgnoredAndNoCacheIsAsked) {
    OneShotServer server("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found", 0);
    std::string buffer;
    const KXPlatform::DownloadResult result = KXPlatform::DownloadToMemory(server.Url().c_str(), KXPlatform::DownloadOptions(), buffer);
    EXPECT_EQ(KXPlatform::DownloadStatus::Ok, result.eStatus);
    EXPECT_EQ("not found", buffer);
    EXPECT_NE(std::string::npos, server.Request().find("Cache-Control: no-cache"));
}

TEST(Download, BrokenBodyKeepsTheBytesAndSilenceTimesOut) {
    {
        OneShotServer server("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial", 0);
        std::string buffer;
        EXPECT_EQ(KXPlatform::DownloadStatus::ReadFailed,
                  KXPlatform::DownloadToMemory(server.Url().c_str(), KXPlatform::DownloadOptions(), buffer).eStatus);
        EXPECT_EQ("partial", buffer);
    }
    {
        // Connected, but not a byte arrives: the receive time-out ends the wait.
        OneShotServer server(nullptr, 3000);
        KXPlatform::DownloadOptions options;
        options.uReceiveTimeoutMs = 1000;
        std::string buffer;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(KXPlatform::DownloadStatus::Ok, KXPlatform::DownloadToMemory(server.Url().c_str(), options, buffer).eStatus);
        const auto seconds = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() / 1000.0;
        EXPECT_GE(seconds, 0.9);
        EXPECT_LT(seconds, 2.9);
    }
}

}  // namespace
