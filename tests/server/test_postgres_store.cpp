// What only the PostgreSQL store must get right: several processes on one database (migrating at once,
// the ten-minute rule), texts the way they arrived, and coming back after the database was restarted.
#include "server/NcServerTest_PgCluster.h"
#include "server/store/NcStore_Postgres.h"

#include "common/NcTest_TempDir.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kWindow = 600;

std::unique_ptr<INcStore> OpenMigrated(const std::string& strUrl) {
    std::string strError;
    std::unique_ptr<INcStore> pStore = NcOpenPostgresStore(strUrl, &strError);
    EXPECT_TRUE(pStore) << strError;
    if (pStore) {
        EXPECT_TRUE(pStore->Migrate());
    }
    return pStore;
}

NcReport MakeReport(const std::string& strUser, int64_t nAt) {
    NcReport report;
    report.strUserName = strUser;
    report.strQuestionType = "1";
    report.strServerName = "电信一区";
    report.strNetType = "电信";
    report.strDescription = "lag";
    report.strCheckContent = "ping 1.2.3.4@@@Reply from 1.2.3.4: bytes=32 time=20ms TTL=55@@@";
    report.strClientAddr = "10.0.0.7";
    report.nReceivedAt = nAt;
    return report;
}

// Lets a group of threads leave the starting line together, so their transactions overlap.
class CStartLine {
public:
    explicit CStartLine(int nThreads) : m_nWaiting(nThreads) {}
    void Wait() {
        std::unique_lock<std::mutex> guard(m_lock);
        if (--m_nWaiting == 0)
            m_cv.notify_all();
        else
            m_cv.wait(guard, [this] { return m_nWaiting == 0; });
    }

private:
    int m_nWaiting;
    std::mutex m_lock;
    std::condition_variable m_cv;
};

std::string QueryOne(const std::string& strUrl, const std::string& strSql) {
    PGconn* pConn = PQconnectdb(strUrl.c_str());
    PGresult* pResult = PQexec(pConn, strSql.c_str());
    std::string strValue = PQresultStatus(pResult) == PGRES_TUPLES_OK && PQntuples(pResult) > 0
                               ? PQgetvalue(pResult, 0, 0)
                               : (PQresultStatus(pResult) == PGRES_COMMAND_OK ? "ok" : PQresultErrorMessage(pResult));
    PQclear(pResult);
    PQfinish(pConn);
    return strValue;
}

}  // namespace

TEST(PostgresStore, ServersStartingTogetherMigrateOnceAndRefuseANewerSchema) {
    const std::string strUrl = NcTestPgFreshDatabase();
    constexpr int kProcesses = 6;
    std::vector<std::unique_ptr<INcStore>> vecStores;
    for (int i = 0; i < kProcesses; ++i) {
        std::string strError;
        vecStores.push_back(NcOpenPostgresStore(strUrl, &strError));
        ASSERT_TRUE(vecStores.back()) << strError;
    }
    EXPECT_EQ(vecStores[0]->SchemaVersion(), 0);

    CStartLine start(kProcesses);
    std::atomic<int> nMigrated{0};
    std::vector<std::thread> vecThreads;
    for (auto& pStore : vecStores)
        vecThreads.emplace_back([&, pStore = pStore.get()] {
            start.Wait();
            if (pStore->Migrate())
                ++nMigrated;
        });
    for (std::thread& t : vecThreads)
        t.join();
    EXPECT_EQ(nMigrated, kProcesses);
    const int32_t nVersion = vecStores[0]->SchemaVersion();
    EXPECT_GT(nVersion, 0);
    EXPECT_EQ(QueryOne(strUrl, "SELECT COUNT(*) FROM schema_version"), std::to_string(nVersion));
    EXPECT_TRUE(vecStores[1]->Migrate());   // again: nothing to do
    EXPECT_EQ(vecStores[1]->SchemaVersion(), nVersion);

    // A database migrated by a newer build is left alone.
    ASSERT_EQ(QueryOne(strUrl, "INSERT INTO schema_version (version) VALUES (" + std::to_string(nVersion + 1) + ")"),
              "ok");
    EXPECT_FALSE(vecStores[2]->Migrate());
}

TEST(PostgresStore, OneReportPerAccountWhenTwoServersRace) {
    const std::string strUrl = NcTestPgFreshDatabase();
    std::unique_ptr<INcStore> pServerA = OpenMigrated(strUrl);
    std::unique_ptr<INcStore> pServerB = OpenMigrated(strUrl);
    ASSERT_TRUE(pServerA && pServerB);

    constexpr int kAccounts = 12;
    constexpr int kThreadsPerServer = 4;
    constexpr int64_t kNow = 1'800'000'000;
    for (int nAccount = 0; nAccount < kAccounts; ++nAccount) {
        const std::string strUser = "player" + std::to_string(nAccount);
        CStartLine start(2 * kThreadsPerServer);
        std::atomic<int> nStored{0}, nRefused{0};
        std::vector<std::thread> vecThreads;
        for (int i = 0; i < 2 * kThreadsPerServer; ++i)
            vecThreads.emplace_back([&, pStore = (i % 2 ? pServerA : pServerB).get()] {
                start.Wait();
                int64_t nId = 0;
                NcInsertOutcome outcome = pStore->InsertReport(MakeReport(strUser, kNow), kNow, kWindow, &nId);
                if (outcome == NcInsertOutcome::Stored)
                    ++nStored;
                else if (outcome == NcInsertOutcome::RecentAccount)
                    ++nRefused;
            });
        for (std::thread& t : vecThreads)
            t.join();
        EXPECT_EQ(nStored, 1) << strUser;
        EXPECT_EQ(nRefused, 2 * kThreadsPerServer - 1) << strUser;
    }
    EXPECT_EQ(pServerA->CountReports(), kAccounts);
    EXPECT_EQ(pServerB->CountReports(), kAccounts);
}

TEST(PostgresStore, FieldsAndFiguresComeBackAsSentAndTheWindowEdgeHolds) {
    std::unique_ptr<INcStore> pStore = OpenMigrated(NcTestPgFreshDatabase());
    ASSERT_TRUE(pStore);
    constexpr int64_t kNow = 1'800'000'000;

    NcReport sent = MakeReport("玩家'); DROP TABLE reports; --", kNow);
    sent.strDescription = "掉线 \"quoted\" \\back\\slash $1 %s\ttab\nline 😀";
    sent.strCheckContent = std::string(200000, 'x') + "来自 1.2.3.4 的回复@@@";
    NcTargetFigures fig;
    fig.strTarget = "game.example.com";
    fig.nLoss = 25;
    fig.nAvgMs = 31;
    fig.nMinMs = 20;
    fig.nMaxMs = 47;
    fig.dJitterMs = 13.333333333333334;
    fig.nReplies = 3;
    sent.vecFigures = {fig, NcTargetFigures{}};
    sent.vecFigures[1].strTarget = "8.8.8.8";

    int64_t nFirst = 0;
    ASSERT_EQ(pStore->InsertReport(sent, kNow, kWindow, &nFirst), NcInsertOutcome::Stored);
    NcReport got;
    ASSERT_TRUE(pStore->GetReport(nFirst, &got));
    EXPECT_EQ(got.strUserName, sent.strUserName);
    EXPECT_EQ(got.strServerName, sent.strServerName);
    EXPECT_EQ(got.strNetType, sent.strNetType);
    EXPECT_EQ(got.strDescription, sent.strDescription);
    EXPECT_EQ(got.strCheckContent, sent.strCheckContent);
    EXPECT_EQ(got.strClientAddr, sent.strClientAddr);
    EXPECT_EQ(got.nReceivedAt, kNow);
    ASSERT_EQ(got.vecFigures.size(), 2u);
    EXPECT_EQ(got.vecFigures[0].strTarget, fig.strTarget);
    EXPECT_EQ(got.vecFigures[0].nLoss, 25);
    EXPECT_EQ(got.vecFigures[0].nMinMs, 20);
    EXPECT_EQ(got.vecFigures[0].nMaxMs, 47);
    EXPECT_EQ(got.vecFigures[0].dJitterMs, fig.dJitterMs);
    EXPECT_EQ(got.vecFigures[1].strTarget, "8.8.8.8");
    EXPECT_EQ(got.vecFigures[1].nAvgMs, -1);
    EXPECT_EQ(got.vecFigures[1].dJitterMs, -1);
    EXPECT_FALSE(pStore->GetReport(nFirst + 1000, &got));

    // The same account one second short of a window later is still refused; exactly a window later it is
    // taken.
    int64_t nId = 0;
    EXPECT_EQ(pStore->InsertReport(MakeReport(sent.strUserName, kNow + kWindow - 1), kNow + kWindow - 1, kWindow, &nId),
              NcInsertOutcome::RecentAccount);
    EXPECT_EQ(pStore->InsertReport(MakeReport(sent.strUserName, kNow + kWindow), kNow + kWindow, kWindow, &nId),
              NcInsertOutcome::Stored);
    EXPECT_GT(nId, nFirst);

    // A NUL would be cut off by the wire protocol: refused whole, nothing stored.
    NcReport withNul = MakeReport("other", kNow);
    withNul.strDescription = std::string("before\0after", 12);
    EXPECT_EQ(pStore->InsertReport(withNul, kNow, kWindow, &nId), NcInsertOutcome::Failed);
    EXPECT_EQ(pStore->CountReports(), 2);

    size_t nAdded = 0;
    ASSERT_TRUE(pStore->ImportAccounts({"甲", "o'brien", "甲"}, &nAdded));
    EXPECT_EQ(nAdded, 2u);
    EXPECT_EQ(pStore->HasAccount("o'brien"), 1);
    EXPECT_EQ(pStore->HasAccount("' OR '1'='1"), 0);
}

TEST(PostgresStore, ServesAgainAfterTheDatabaseRestarts) {
    ScopedTempDir dir;
    CNcTestPgCluster cluster(dir / "cluster");
    ASSERT_FALSE(cluster.Url().empty());
    std::unique_ptr<INcStore> pStore = OpenMigrated(cluster.Url());
    ASSERT_TRUE(pStore);
    constexpr int64_t kNow = 1'800'000'000;

    // Several threads at once, so the pool holds several connections when the database goes away.
    auto InsertInParallel = [&](const std::string& strPrefix) {
        std::atomic<int> nStored{0};
        std::vector<std::thread> vecThreads;
        for (int i = 0; i < 4; ++i)
            vecThreads.emplace_back([&, i] {
                int64_t nId = 0;
                if (pStore->InsertReport(MakeReport(strPrefix + std::to_string(i), kNow), kNow, kWindow, &nId) ==
                    NcInsertOutcome::Stored)
                    ++nStored;
            });
        for (std::thread& t : vecThreads)
            t.join();
        return nStored.load();
    };
    EXPECT_EQ(InsertInParallel("before"), 4);

    ASSERT_TRUE(cluster.Down());
    int64_t nId = 0;
    EXPECT_EQ(pStore->InsertReport(MakeReport("during", kNow), kNow, kWindow, &nId), NcInsertOutcome::Failed);
    EXPECT_FALSE(pStore->Ping());
    EXPECT_EQ(pStore->CountReports(), -1);

    ASSERT_TRUE(cluster.Up());
    EXPECT_EQ(InsertInParallel("after"), 4);
    EXPECT_TRUE(pStore->Ping());
    EXPECT_EQ(pStore->CountReports(), 8);
}
