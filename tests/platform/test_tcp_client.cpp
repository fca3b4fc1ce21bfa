// The cancellable TCP client against loopback servers: a whole exchange, a refused connection, and a
// cancel from another thread that releases a receive and a send blocked on a server that does not read.
#include "KX_Platform/KXPlatform_Sockets.h"
#include "KX_Platform/KXPlatform_TcpClient.h"
#include "common/NcTest_LoopbackServer.h"
#include "common/NcTest_Socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace {

using KXPlatform::ITcpClient;

class TcpClientTest : public ::testing::Test {
protected:
    TcpClientTest() { EXPECT_EQ(KXPlatform::StartupSockets(), 0); }
    ~TcpClientTest() override { KXPlatform::CleanupSockets(); }

    std::unique_ptr<ITcpClient> NewClient() {
        int nError = -1;
        std::unique_ptr<ITcpClient> client = KXPlatform::CreateTcpClient(nError);
        EXPECT_TRUE(client) << nError;
        EXPECT_EQ(nError, 0);
        return client;
    }

    const uint32_t m_uLoopback = 0x0100007Fu;  // 127.0.0.1 in network byte order
};

TEST_F(TcpClientTest, SendsAndReceivesUntilTheServerCloses) {
    const std::string strReply = "HTTP/1.1 200 OK\r\n\r\n" + std::string(300000, 'r') + "{end}";
    LoopbackServer server(LoopbackServer::Mode::Answer, strReply, 7000);
    std::unique_ptr<ITcpClient> client = NewClient();
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->Connect(m_uLoopback, server.Port())) << client->GetLastError();
    const std::string strRequest = "POST /r HTTP/1.1\nContent-Length: 200000\n\n" + std::string(200000, 'q');
    EXPECT_EQ(client->Send(strRequest.data(), strRequest.size()), static_cast<int64_t>(strRequest.size()));
    std::string strReceived;
    char buf[1500];
    for (;;) {
        const int64_t n = client->Receive(buf, sizeof(buf));
        ASSERT_GE(n, 0) << client->GetLastError();
        if (n == 0) break;
        ASSERT_LE(n, static_cast<int64_t>(sizeof(buf)));
        strReceived.append(buf, static_cast<size_t>(n));
    }
    EXPECT_TRUE(strReceived == strReply) << strReceived.size();
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(server.Requests()[0] == strRequest);
    EXPECT_FALSE(client->IsCancelled());

    // Closed: every later call fails, and closing again is harmless.
    client->Close();
    client->Close();
    EXPECT_EQ(client->Send("x", 1), -1);
    EXPECT_EQ(client->Receive(buf, sizeof(buf)), -1);
    EXPECT_NE(client->GetLastError(), 0);
}

TEST_F(TcpClientTest, RefusedConnectionFailsWithTheSystemsError) {
    std::unique_ptr<ITcpClient> client = NewClient();
    ASSERT_TRUE(client);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->Connect(m_uLoopback, LoopbackServer::UnusedPort()));
    EXPECT_NE(client->GetLastError(), 0);
    EXPECT_FALSE(client->IsCancelled());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// Closes a test socket when it goes.
struct ScopedSocket {
    explicit ScopedSocket(NcSocket n) : nSocket(n) {}
    ~ScopedSocket() { NcCloseSocket(nSocket); }
    NcSocket nSocket;
};

TEST_F(TcpClientTest, CancelReleasesABlockedReceiveAndABlockedSend) {
    // The calls run on a second thread. Declared before the servers: should the cancel not wake them,
    // the servers' end releases them before their futures are waited for.
    std::unique_ptr<ITcpClient> client = NewClient();
    ASSERT_TRUE(client);
    std::future<int64_t> call;
    // A receive waiting on a server that keeps quiet.
    {
        LoopbackServer silent(LoopbackServer::Mode::Silent);
        ASSERT_TRUE(client->Connect(m_uLoopback, silent.Port()));
        ASSERT_EQ(client->Send("GET /\n\n", 7), 7);
        call = std::async(std::launch::async, [&client] {
            char c;
            return client->Receive(&c, 1);
        });
        EXPECT_EQ(call.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        client->Cancel();
        ASSERT_EQ(call.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the cancel did not wake it";
        EXPECT_EQ(call.get(), -1);
        EXPECT_TRUE(client->IsCancelled());
        const int nInterrupted = client->GetLastError();
        EXPECT_NE(nInterrupted, 0);
        // Every later call fails at once with the same error.
        EXPECT_FALSE(client->Connect(m_uLoopback, silent.Port()));
        EXPECT_EQ(client->Send("x", 1), -1);
        EXPECT_EQ(client->GetLastError(), nInterrupted);
        client.reset();
        EXPECT_TRUE(silent.WaitClientClose(5000));
    }
    // A send waiting on a peer that accepted the connection but never reads: the buffers fill up.
    client = NewClient();
    ASSERT_TRUE(client);
    const std::string strBig(64u << 20, 's');
    uint16_t uPort = 0;
    ScopedSocket listen(NcListenLoopback(uPort));
    ASSERT_NE(listen.nSocket, kNoSocket);
    ASSERT_TRUE(client->Connect(m_uLoopback, uPort));
    ScopedSocket peer(NcAccept(listen.nSocket));
    call = std::async(std::launch::async, [&] { return client->Send(strBig.data(), strBig.size()); });
    EXPECT_EQ(call.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    client->Cancel();
    ASSERT_EQ(call.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the cancel did not wake it";
    EXPECT_LT(call.get(), static_cast<int64_t>(strBig.size()));
    EXPECT_TRUE(client->IsCancelled());
}

}  // namespace
