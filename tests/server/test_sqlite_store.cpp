// What only the SQLite store must get right: several connections (as several processes would have) on
// one file, migrating at once and racing for the ten-minute rule.
#include "common/NcTest_TempDir.h"
#include "server/store/NcStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(SqliteStore, ConnectionsOnOneFileAgreeOnSchemaAndOnTheRepeatRule) {
    ScopedTempDir tmp;
    const std::string strUrl = "sqlite:" + (tmp / "reports.db");
    const int kConnections = 6;
    std::vector<std::unique_ptr<INcStore>> stores;
    for (int i = 0; i < kConnections; ++i) {
        std::string strError;
        stores.push_back(NcOpenStore(strUrl, &strError));
        ASSERT_TRUE(stores.back()) << strError;
    }
    // All migrate at once: every one succeeds and the schema is applied once.
    {
        std::vector<std::thread> threads;
        std::atomic<int> nOk{0};
        for (auto& pStore : stores) threads.emplace_back([&] { nOk += pStore->Migrate() ? 1 : 0; });
        for (std::thread& t : threads) t.join();
        EXPECT_EQ(nOk.load(), kConnections);
    }
    EXPECT_EQ(stores[0]->SchemaVersion(), 5);

    NcReport report;
    report.strUserName = "alice";
    report.nReceivedAt = 1000;
    report.strCheckContent = "x@@@";
    report.vecFigures.resize(2);
    report.vecFigures[1].strTarget = "10.0.0.1";
    report.vecFigures[1].dJitterMs = 1.5;
    std::atomic<int> nStored{0}, nRecent{0}, nFailed{0};
    std::vector<std::thread> threads;
    for (auto& pStore : stores) {
        threads.emplace_back([&] {
            int64_t nId = 0;
            switch (pStore->InsertReport(report, 1000, 600, &nId)) {
                case NcInsertOutcome::Stored: ++nStored; break;
                case NcInsertOutcome::RecentAccount: ++nRecent; break;
                case NcInsertOutcome::Failed: ++nFailed; break;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(nStored.load(), 1);
    EXPECT_EQ(nRecent.load(), kConnections - 1);
    EXPECT_EQ(nFailed.load(), 0);

    // The window's edges: a report one second short of ten minutes old still counts; at ten minutes it
    // no longer does.
    int64_t nId = 0;
    report.nReceivedAt = 1599;
    EXPECT_EQ(stores[1]->InsertReport(report, 1599, 600, &nId), NcInsertOutcome::RecentAccount);
    report.nReceivedAt = 1600;
    EXPECT_EQ(stores[1]->InsertReport(report, 1600, 600, &nId), NcInsertOutcome::Stored);
    NcReport back;
    ASSERT_TRUE(stores[2]->GetReport(nId, &back));
    ASSERT_EQ(back.vecFigures.size(), 2u);
    EXPECT_EQ(back.vecFigures[1].strTarget, "10.0.0.1");
    EXPECT_EQ(back.vecFigures[1].dJitterMs, 1.5);
    EXPECT_EQ(stores[3]->CountReports(), 2);
}

TEST(SqliteStore, AnUnusableFileIsRefused) {
    ScopedTempDir tmp;
    std::string strError;
    EXPECT_FALSE(NcOpenStore("sqlite:" + (tmp / "missing-dir/reports.db"), &strError));
    EXPECT_FALSE(strError.empty());
    WriteTestFile(tmp / "not-a-db", std::string(4096, 'x'));
    std::unique_ptr<INcStore> pStore = NcOpenStore("sqlite:" + (tmp / "not-a-db"), &strError);
    EXPECT_TRUE(!pStore || !pStore->Migrate());
    EXPECT_FALSE(NcOpenStore("mysql://x", &strError));
}

}  // namespace
