// Running the server: health check, stopping with requests in flight, slow clients, the ten-minute rule
// under concurrent uploads.
#include "server/NcServerTest_Fixture.h"

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Forwards to a real store; Ping and InsertReport can be made to fail as a database outage would, and
// InsertReport can be held, as a slow database holds the worker thread that waits on it.
class CFlakyStore : public INcStore {
public:
    explicit CFlakyStore(INcStore& inner) : m_inner(inner) {}
    bool Migrate() override { return m_inner.Migrate(); }
    int32_t SchemaVersion() override { return m_inner.SchemaVersion(); }
    NcInsertOutcome InsertReport(const NcReport& r, int64_t nNow, int64_t nWindow, int64_t* pId) override {
        {
            std::unique_lock<std::mutex> lock(m_gateLock);
            if (m_bHold) {
                ++m_nHeld;
                m_gate.notify_all();
                m_gate.wait(lock, [this] { return !m_bHold; });
            }
        }
        return m_bDown ? NcInsertOutcome::Failed : m_inner.InsertReport(r, nNow, nWindow, pId);
    }
    bool ImportAccounts(const std::vector<std::string>& v, size_t* p) override { return m_inner.ImportAccounts(v, p); }
    int32_t HasAccount(const std::string& s) override { return m_inner.HasAccount(s); }
    bool GetReport(int64_t nId, NcReport* p) override { return m_inner.GetReport(nId, p); }
    int64_t CountReports() override { return m_inner.CountReports(); }
    bool Ping() override { return !m_bDown && m_inner.Ping(); }
    bool PutStaff(const std::string& n, const std::string& h, int64_t t) override { return m_inner.PutStaff(n, h, t); }
    int32_t GetStaffHash(const std::string& n, std::string* p) override { return m_inner.GetStaffHash(n, p); }
    bool CreateSession(const std::string& t, const NcStaffSession& s) override { return m_inner.CreateSession(t, s); }
    int32_t GetSession(const std::string& t, int64_t n, NcStaffSession* p) override {
        return m_inner.GetSession(t, n, p);
    }
    bool DeleteSession(const std::string& t) override { return m_inner.DeleteSession(t); }
    bool ListReports(const NcReportFilter& f, int64_t o, int32_t l, std::vector<NcReportRow>* p) override {
        return m_inner.ListReports(f, o, l, p);
    }
    bool ListFigures(int64_t a, int64_t b, size_t n, std::vector<NcFigureRow>* p) override {
        return m_inner.ListFigures(a, b, n, p);
    }
    bool ListRollup(int32_t d, int64_t a, int64_t b, std::vector<NcRollupRow>* p) override {
        return m_inner.ListRollup(d, a, b, p);
    }
    bool RollUp(int64_t n, int64_t* p) override { return m_inner.RollUp(n, p); }
    bool RebuildRollup(int64_t n) override { return m_inner.RebuildRollup(n); }
    std::atomic<bool> m_bDown{false};

    void Hold(bool bHold) {
        std::lock_guard<std::mutex> guard(m_gateLock);
        m_bHold = bHold;
        m_gate.notify_all();
    }
    bool WaitUntilHeld() {
        std::unique_lock<std::mutex> lock(m_gateLock);
        return m_gate.wait_for(lock, std::chrono::seconds(5), [this] { return m_nHeld > 0; });
    }

private:
    INcStore& m_inner;
    std::mutex m_gateLock;
    std::condition_variable m_gate;
    bool m_bHold = false;
    int m_nHeld = 0;
};

// Reads one reply (headers and a Content-Length body) from a connection kept open.
HttpReply ReadOneReply(int nFd) {
    std::string strAll;
    char c;
    while (strAll.find("\r\n\r\n") == std::string::npos && recv(nFd, &c, 1, 0) == 1) strAll += c;
    HttpReply reply;
    reply.strHead = strAll;
    if (std::sscanf(strAll.c_str(), "HTTP/1.1 %d", &reply.nStatus) != 1) return reply;
    const size_t uAt = strAll.find("Content-Length: ");
    size_t uLength = uAt == std::string::npos ? 0 : std::strtoul(strAll.c_str() + uAt + 16, nullptr, 10);
    while (uLength > 0 && recv(nFd, &c, 1, 0) == 1) {
        reply.strBody += c;
        --uLength;
    }
    return reply;
}

// Stops a one-thread server while that thread is held in a report, with kQueued clients waiting in the
// listen queue and a request just sent on a kept-alive connection: all of them must be answered.
void StopWithClientsWaiting(const NcServerConfig& config, INcStore& inner, int kQueued) {
    const int64_t nBefore = inner.CountReports();
    CFlakyStore store(inner);
    std::string strError;
    std::mutex logLock;
    std::vector<std::string> vecLog;
    NcServerHooks hooks;
    hooks.fnLog = [&](const std::string& strLine) {
        std::lock_guard<std::mutex> guard(logLock);
        vecLog.push_back(strLine);
    };
    auto findLog = [&](const std::string& strPart) {
        std::lock_guard<std::mutex> guard(logLock);
        for (const std::string& strLine : vecLog) {
            if (strLine.find(strPart) != std::string::npos) return strLine;
        }
        return std::string();
    };
    CNcServer server(config, store, hooks);
    ASSERT_TRUE(server.Start(&strError)) << strError;
    const uint16_t uPort = server.Port();

    // A connection kept alive after its first answer, as a proxy's pool keeps them.
    std::vector<int> vecClients;
    const int nKept = ConnectLoopback(uPort);
    vecClients.push_back(nKept);
    ASSERT_GE(nKept, 0);
    auto keptReport = [](const std::string& strUser) {
        const std::string strBody = FormBody(strUser);
        return "POST /report HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(strBody.size()) + "\r\n\r\n" + strBody;
    };
    ASSERT_TRUE(SendAll(nKept, keptReport("kept0-" + std::to_string(kQueued))));
    ASSERT_EQ(ReadOneReply(nKept).strBody.compare(0, 5, "{ret="), 0);

    // The one worker thread is held inside a report's database work.
    store.Hold(true);
    vecClients.push_back(ConnectLoopback(uPort));
    ASSERT_GE(vecClients.back(), 0);
    ASSERT_TRUE(SendAll(vecClients.back(), MakeRequest("POST", "/report", FormBody("busy" + std::to_string(kQueued)))));
    std::thread stopper;
    struct Cleanup {
        CFlakyStore& store;
        std::thread& stopper;
        std::vector<int>& vecFds;
        ~Cleanup() {
            store.Hold(false);
            if (stopper.joinable()) stopper.join();
            for (int nFd : vecFds) {
                if (nFd >= 0) close(nFd);
            }
        }
    } cleanup{store, stopper, vecClients};
    ASSERT_TRUE(store.WaitUntilHeld());

    // These wait in the listen queue, requests sent, for a thread that will not take them before the stop.
    for (int i = 0; i < kQueued; ++i) {
        vecClients.push_back(ConnectLoopback(uPort));
        ASSERT_GE(vecClients.back(), 0);
        ASSERT_TRUE(SendAll(vecClients.back(), MakeRequest("POST", "/report", FormBody("q" + std::to_string(i)))));
    }

    ASSERT_TRUE(SendAll(nKept, keptReport("kept1-" + std::to_string(kQueued))));  // read only once the worker is free, after the stop began
    stopper = std::thread([&] { server.Stop(); });
    std::string strDrained;
    for (int i = 0; i < 200 && strDrained.empty(); ++i) {
        usleep(10 * 1000);
        strDrained = findLog("event=drained");
    }
    EXPECT_EQ(strDrained, "event=drained queued=" + std::to_string(kQueued));
    // The stop is still waiting for the held report, and the server already refuses.
    const int nLate = ConnectLoopback(uPort);
    EXPECT_LT(nLate, 0);
    if (nLate >= 0) close(nLate);

    store.Hold(false);
    // Answered, and told to close: the connection is not used again.
    const HttpReply kept = ReadReply(nKept);
    EXPECT_EQ(kept.nStatus, 200) << kept.strHead;
    EXPECT_EQ(kept.strBody.compare(0, 5, "{ret="), 0) << kept.strBody;
    EXPECT_NE(kept.strHead.find("Connection: close"), std::string::npos) << kept.strHead;
    close(nKept);
    vecClients[0] = -1;
    std::vector<int64_t> vecIds;
    for (int& nFd : vecClients) {
        if (nFd < 0) continue;
        const HttpReply reply = ReadReply(nFd);
        close(nFd);
        nFd = -1;
        EXPECT_EQ(reply.nStatus, 200) << reply.strHead;
        long long nId = 0;
        if (std::sscanf(reply.strBody.c_str(), "{ret=%lld}", &nId) == 1 && nId > 0) vecIds.push_back(nId);
    }
    stopper.join();
    EXPECT_EQ(vecIds.size(), static_cast<size_t>(kQueued + 1));
    EXPECT_EQ(inner.CountReports(), nBefore + kQueued + 3);
    // Finished because everything was answered, not because the grace ran out.
    EXPECT_EQ(findLog("after the grace"), "");
    EXPECT_NE(findLog("event=stopped"), "");
}

class Operation : public ServerTest {};

TEST_P(Operation, AStoreOutageFailsReportsAndHealthUntilItIsBack) {
    std::string strError;
    std::unique_ptr<INcStore> pInner = NcOpenStore(m_strUrl, &strError);
    ASSERT_TRUE(pInner) << strError;
    ASSERT_TRUE(pInner->Migrate());
    CFlakyStore store(*pInner);
    CNcServer server(m_config, store);
    ASSERT_TRUE(server.Start(&strError)) << strError;

    EXPECT_EQ(SendRaw(server.Port(), MakeRequest("GET", "/healthz")).nStatus, 200);
    store.m_bDown = true;
    EXPECT_EQ(SendRaw(server.Port(), MakeRequest("GET", "/healthz")).nStatus, 503);
    const HttpReply failed = SendRaw(server.Port(), MakeRequest("POST", "/report", FormBody("alice")));
    EXPECT_EQ(failed.nStatus, 503);
    EXPECT_EQ(failed.strBody, "{ret=-1}");
    store.m_bDown = false;
    EXPECT_EQ(SendRaw(server.Port(), MakeRequest("GET", "/healthz")).nStatus, 200);
    // Nothing of the failed report was kept: the account is free to report at once.
    EXPECT_EQ(SendRaw(server.Port(), MakeRequest("POST", "/report", FormBody("alice"))).strBody.find("-"), std::string::npos);
    EXPECT_EQ(pInner->CountReports(), 1);
    server.Stop();
}

TEST_P(Operation, StoppingLetsTheRequestInFlightFinishAndRefusesNewOnes) {
    StartServer();
    const std::string strBody = FormBody("alice");
    const int nFd = ConnectLoopback(Port());
    ASSERT_GE(nFd, 0);
    ASSERT_TRUE(SendAll(nFd, "POST /report HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: " +
                                  std::to_string(strBody.size()) + "\r\n\r\n" + strBody.substr(0, 10)));
    usleep(200 * 1000);  // the server has the headers: the request is in flight
    const uint16_t uPort = Port();
    std::thread stopper([this] { m_pServer->Stop(); });
    usleep(300 * 1000);
    const int nLate = ConnectLoopback(uPort);
    EXPECT_LT(nLate, 0);  // no longer accepting
    if (nLate >= 0) close(nLate);
    ASSERT_TRUE(SendAll(nFd, strBody.substr(10)));
    const HttpReply reply = ReadReply(nFd);
    close(nFd);
    stopper.join();
    EXPECT_EQ(reply.nStatus, 200);
    int64_t nId = 0;
    ASSERT_EQ(std::sscanf(reply.strBody.c_str(), "{ret=%ld}", &nId), 1) << reply.strBody;
    NcReport stored;
    EXPECT_TRUE(m_pStore->GetReport(nId, &stored));
}

// Clients that connected before the stop are answered, even those still waiting in the listen queue
// because the server's only thread was busy, and a request sent at that moment on a kept-alive connection;
// whoever connects once the stop has begun is refused at once. With nothing queued, only the kept-alive
// connection's unread request holds the stop.
TEST_P(Operation, StoppingAnswersTheClientsAlreadyQueuedAndRefusesLaterOnes) {
    m_config.uThreads = 1;
    std::string strError;
    std::unique_ptr<INcStore> pInner = NcOpenStore(m_strUrl, &strError);
    ASSERT_TRUE(pInner) << strError;
    ASSERT_TRUE(pInner->Migrate());
    for (int nQueued : {6, 0}) {
        SCOPED_TRACE("queued " + std::to_string(nQueued));
        StopWithClientsWaiting(m_config, *pInner, nQueued);
    }
}

TEST_P(Operation, TheReadDeadlineCutsTricklingHeadersButNotASlowDump) {
    m_config.uRequestTimeoutSec = 1;
    m_config.uHeaderMemoryBytes = 8192;
    m_config.uIdleTimeoutSec = 30;  // the trickle never goes idle: only the read deadline can end it
    StartServer();
    const int nFd = ConnectLoopback(Port());
    ASSERT_GE(nFd, 0);
    const std::string strHead = "GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
    bool bCut = false;
    for (size_t i = 0; i < strHead.size() && !bCut; ++i) {
        if (send(nFd, &strHead[i], 1, MSG_NOSIGNAL) != 1) bCut = true;
        char c;
        // The server's end of the stream shows as a zero-byte read.
        if (recv(nFd, &c, 1, MSG_DONTWAIT) == 0) bCut = true;
        usleep(100 * 1000);
    }
    close(nFd);
    EXPECT_TRUE(bCut);
    // Headers over the connection's memory limit get an error, not a worker's attention.
    const HttpReply big = Get("/healthz", "X-Big: " + std::string(16384, 'b') + "\r\n");
    EXPECT_GE(big.nStatus, 400);
    EXPECT_NE(big.nStatus, 200);
    EXPECT_EQ(Get("/healthz", "X-Fits: " + std::string(2048, 'b') + "\r\n").nStatus, 200);
    // A dump's body may take longer than the deadline: past its headers only the idle time-out counts.
    const int nDump = ConnectLoopback(Port());
    ASSERT_GE(nDump, 0);
    ASSERT_TRUE(SendAll(nDump, "PUT /dumps/slow.dmp HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: 30\r\n\r\n"));
    for (int i = 0; i < 3; ++i) {
        usleep(600 * 1000);
        ASSERT_TRUE(SendAll(nDump, std::string(10, 'd')));
    }
    EXPECT_EQ(ReadReply(nDump).nStatus, 201);
    close(nDump);
    // The server itself is fine.
    EXPECT_EQ(Get("/healthz").nStatus, 200);
}

// Many uploads of one account at the same moment, each on its own connection to the store: exactly one
// is stored, every other one is told -3.
TEST_P(Operation, ConcurrentReportsOfOneAccountStoreExactlyOne) {
    m_config.uThreads = 4;
    StartServer();
    std::vector<std::thread> threads;
    std::atomic<int> nStored{0}, nRecent{0}, nOther{0};
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            const HttpReply reply = Post(FormBody("alice"));
            if (reply.strBody == "{ret=-3}") {
                ++nRecent;
            } else if (reply.nStatus == 200 && reply.strBody.find('-') == std::string::npos) {
                ++nStored;
            } else {
                ++nOther;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(nStored.load(), 1);
    EXPECT_EQ(nRecent.load(), 7);
    EXPECT_EQ(nOther.load(), 0);
    EXPECT_EQ(m_pStore->CountReports(), 1);
}

NC_SERVER_BACKENDS(Operation);

}  // namespace
