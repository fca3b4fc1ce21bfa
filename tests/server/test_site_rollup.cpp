// The analytics page's rollup on both backends: its figures against counting every report, at any
// point of its counting and for windows with partial hours and days; counting hour by hour against one
// rebuild and after the migration; a count that fails half-way; a damaged histogram in the database.
#include "server/NcServerTest_AnalyticsReference.h"
#include "server/NcServerTest_Fixture.h"
#include "server/site/NcSite_Analytics.h"
#include "server/store/NcStore_Rollup.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <random>
#include <tuple>

namespace {

const int64_t kH0 = 1800000000 - 1800000000 % 3600;   // 07:00 UTC
const int64_t kD0 = 1800000000 - 1800000000 % 86400;
const size_t kAll = 10000000;

// Runs SQL on the test's database behind the store's back; "" on success, else the error.
std::string RawSql(const std::string& strUrl, const std::string& strSql) {
    std::string strError;
    if (strUrl.compare(0, 7, "sqlite:") == 0) {
        sqlite3* pDb = nullptr;
        if (sqlite3_open(strUrl.c_str() + 7, &pDb) != SQLITE_OK) strError = "cannot open";
        char* szError = nullptr;
        if (strError.empty() && sqlite3_exec(pDb, strSql.c_str(), nullptr, nullptr, &szError) != SQLITE_OK) {
            strError = szError ? szError : "failed";
        }
        sqlite3_free(szError);
        sqlite3_close(pDb);
        return strError;
    }
    PGconn* pConn = PQconnectdb(strUrl.c_str());
    PGresult* pResult = PQexec(pConn, strSql.c_str());
    const ExecStatusType status = PQresultStatus(pResult);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) strError = PQresultErrorMessage(pResult);
    PQclear(pResult);
    PQfinish(pConn);
    return strError;
}

void ExpectSameGroups(const std::vector<NcGroupStats>& a, const std::vector<NcGroupStats>& b, const char* szWhat) {
    ASSERT_EQ(a.size(), b.size()) << szWhat;
    for (size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(std::string(szWhat) + " " + a[i].strKey);
        EXPECT_EQ(a[i].strKey, b[i].strKey);
        EXPECT_EQ(a[i].nReports, b[i].nReports);
        EXPECT_EQ(a[i].nBad, b[i].nBad);
        EXPECT_EQ(a[i].dBadShare, b[i].dBadShare);
        ASSERT_EQ(a[i].vecTargets.size(), b[i].vecTargets.size());
        for (size_t k = 0; k < a[i].vecTargets.size(); ++k) {
            const NcTargetStats &s = a[i].vecTargets[k], &t = b[i].vecTargets[k];
            EXPECT_EQ(s.strTarget, t.strTarget);
            EXPECT_EQ(std::tie(s.nSamples, s.nLatP50, s.nLatP95, s.nLossP50, s.nLossP95),
                      std::tie(t.nSamples, t.nLatP50, t.nLatP95, t.nLossP50, t.nLossP95))
                << s.strTarget;
            // Sums of the same values in another order: equal but for the last bits.
            EXPECT_NEAR(s.dJitterMean, t.dJitterMean, 1e-9) << s.strTarget;
        }
    }
}

void ExpectSameAnalytics(const NcAnalytics& a, const NcAnalytics& b) {
    EXPECT_EQ(a.nReports, b.nReports);
    EXPECT_EQ(a.nBad, b.nBad);
    ASSERT_EQ(a.vecHours.size(), b.vecHours.size());
    for (size_t i = 0; i < a.vecHours.size(); ++i) {
        const NcHourStats &h = a.vecHours[i], &g = b.vecHours[i];
        EXPECT_EQ(std::tie(h.nStart, h.nReports, h.nBad, h.nLatP50, h.nLatP95),
                  std::tie(g.nStart, g.nReports, g.nBad, g.nLatP50, g.nLatP95))
            << "hour " << i;
    }
    ExpectSameGroups(a.vecByServer, b.vecByServer, "server");
    ExpectSameGroups(a.vecByGroup, b.vecByGroup, "group");
    ExpectSameGroups(a.vecByCarrier, b.vecByCarrier, "carrier");
    ASSERT_EQ(a.vecWorst.size(), b.vecWorst.size());
    for (size_t i = 0; i < a.vecWorst.size(); ++i) {
        const NcPairStats &p = a.vecWorst[i], &q = b.vecWorst[i];
        EXPECT_EQ(std::tie(p.strServer, p.strCarrier, p.nReports, p.nBad, p.nLatP95),
                  std::tie(q.strServer, q.strCarrier, q.nReports, q.nBad, q.nLatP95))
            << "worst " << i;
    }
}

class SiteRollup : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        std::string strError;
        m_pStore = NcOpenStore(m_strUrl, &strError);
        ASSERT_TRUE(m_pStore) << strError;
        ASSERT_TRUE(m_pStore->Migrate());
    }

    // A report as the parser could leave it: up to three targets, some without an average, a jitter or a
    // name, now and then a latency past anything a network gives.
    NcReport RandomReport(std::mt19937& rng, int64_t nAt) {
        static const char* const kServers[] = {"S1", "S2", "双线一区"};
        static const char* const kGroups[] = {"掉线", "卡顿", ""};
        static const char* const kCarriers[] = {"电信", "联通", "移动", "其他"};
        static const char* const kTargets[] = {"game", "gw", "8.8.8.8", ""};
        auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        NcReport r;
        r.strUserName = "u" + std::to_string(m_nUser++);
        r.strServerName = kServers[pick(3)];
        r.strQuestionType = kGroups[pick(3)];
        r.strNetType = kCarriers[pick(4)];
        r.strClientAddr = "10.0.0.1";
        r.nReceivedAt = nAt;
        r.nVerdict = pick(4) - 1;
        const int nTargets = pick(4);
        for (int i = 0; i < nTargets; ++i) {
            NcTargetFigures f;
            f.strTarget = kTargets[pick(4)];
            f.nLoss = pick(5) == 0 ? 100 : pick(30);
            f.nAvgMs = pick(5) == 0 ? -1 : (pick(40) == 0 ? 70000 + pick(3) : 5 + pick(120));
            f.dJitterMs = pick(4) == 0 ? -1 : pick(1000) / 7.0;
            r.vecFigures.push_back(f);
        }
        return r;
    }

    void Store(const NcReport& r, NcInsertOutcome expected = NcInsertOutcome::Stored) {
        int64_t nId = 0;
        ASSERT_EQ(m_pStore->InsertReport(r, r.nReceivedAt, 0, &nId), expected);
    }

    // About 400 reports over 60 hours from kH0, some on the edges of hours and days, and a few 40 days
    // before.
    void Fill() {
        std::mt19937 rng(20261206);
        for (int i = 0; i < 400; ++i) Store(RandomReport(rng, kH0 + static_cast<int64_t>(rng() % (60 * 3600))));
        for (int i = 0; i < 5; ++i) Store(RandomReport(rng, kH0 - 40 * 86400 + i * 4000));
        // The last and the first second of hours, and of a day.
        for (int i = 1; i < 6; ++i) {
            Store(RandomReport(rng, kH0 + i * 3600 - 1));
            Store(RandomReport(rng, kH0 + i * 3600));
        }
        Store(RandomReport(rng, kD0 + 86400 - 1));
        Store(RandomReport(rng, kD0 + 86400));
    }

    NcAnalytics Counted(int64_t nFrom, int64_t nTo) {
        std::vector<NcFigureRow> rows;
        EXPECT_TRUE(m_pStore->ListFigures(nFrom, nTo, kAll, &rows));
        return NcTestCountAnalytics(rows, nFrom, nTo);
    }

    NcAnalytics Loaded(int64_t nFrom, int64_t nTo, int64_t nNow) {
        NcAnalytics a;
        bool bTruncated = true;
        EXPECT_TRUE(NcLoadAnalytics(*m_pStore, nFrom, nTo, nNow, kAll, &a, &bTruncated));
        EXPECT_FALSE(bTruncated);
        return a;
    }

    bool AllRows(std::vector<NcRollupRow>* pRows) {
        pRows->clear();
        for (const int32_t nDim : {0, 1, 2, 3, 4, 11, 12, 13, 14}) {
            if (!m_pStore->ListRollup(nDim, INT64_MIN, INT64_MAX, pRows)) return false;
        }
        return true;
    }

    // Every rollup row, in key order.
    std::vector<NcRollupRow> Rows() {
        std::vector<NcRollupRow> rows;
        EXPECT_TRUE(AllRows(&rows));
        std::sort(rows.begin(), rows.end(), [](const NcRollupRow& a, const NcRollupRow& b) {
            return std::tie(a.nStart, a.nDim, a.strKey, a.strKey2, a.strTarget) <
                   std::tie(b.nStart, b.nDim, b.strKey, b.strKey2, b.strTarget);
        });
        return rows;
    }

    static void ExpectSameRows(const std::vector<NcRollupRow>& a, const std::vector<NcRollupRow>& b) {
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(std::tie(a[i].nStart, a[i].nDim, a[i].strKey, a[i].strKey2, a[i].strTarget, a[i].nReports,
                               a[i].nBad, a[i].nSamples, a[i].nJitter, a[i].lat, a[i].loss),
                      std::tie(b[i].nStart, b[i].nDim, b[i].strKey, b[i].strKey2, b[i].strTarget, b[i].nReports,
                               b[i].nBad, b[i].nSamples, b[i].nJitter, b[i].lat, b[i].loss))
                << "row " << i;
            EXPECT_NEAR(a[i].dJitterSum, b[i].dJitterSum, 1e-6) << "row " << i;
        }
    }

    int m_nUser = 0;
};

TEST_P(SiteRollup, FiguresEqualCountingEveryReportForAnyWindowAndMark) {
    Fill();
    const std::pair<int64_t, int64_t> kWindows[] = {
        {kD0 + 86400, kD0 + 2 * 86400},                           // one whole day
        {kH0, kH0 + 48 * 3600},                                   // whole hours around a whole day
        {kH0 + 1234, kH0 + 47 * 3600 + 777},                      // partial hours at both edges
        {kH0 + 5 * 3600 + 100, kH0 + 5 * 3600 + 3000},            // inside one hour
        {kH0 + 5 * 3600 + 100, kH0 + 6 * 3600 + 3000},            // across one boundary, no whole hour
        {kH0 + 7 * 3600, kH0 + 9 * 3600 + 1},                     // a second into the last hour
        {kH0 - 41 * 86400 + 5, kH0 + 61 * 3600},                  // longer than the plot: hours cut
        {kH0 + 70 * 3600, kH0 + 80 * 3600},                       // nothing there
    };
    std::mt19937 rng(99);
    // Nothing counted yet, then up to the middle of the second day (the page counts up to then), then
    // more reports after the mark, then everything.
    for (const int64_t nNow : {kH0 - 50 * 86400, kH0 + 30 * 3600 + 1234, int64_t(0), kH0 + 90 * 3600}) {
        if (nNow == 0) {
            for (int i = 0; i < 40; ++i) Store(RandomReport(rng, kH0 + 30 * 3600 + static_cast<int64_t>(rng() % (30 * 3600))));
            continue;
        }
        for (const auto& w : kWindows) {
            SCOPED_TRACE("now " + std::to_string(nNow - kH0) + ", window " + std::to_string(w.first - kH0) + " .. " +
                         std::to_string(w.second - kH0));
            ExpectSameAnalytics(Loaded(w.first, w.second, nNow), Counted(w.first, w.second));
        }
    }
    std::vector<NcRollupRow> rows;
    ASSERT_TRUE(AllRows(&rows));   // the rollup was there to be used
    EXPECT_GT(rows.size(), 100u);
    EXPECT_GT(Counted(kH0 + 1234, kH0 + 47 * 3600 + 777).nReports, 300);   // the fixture is not empty
}

TEST_P(SiteRollup, CountingHourByHourWritesWhatOneRebuildAndTheMigrationDo) {
    Fill();
    int64_t nDone = 0;
    for (int64_t nNow = kH0 - 41 * 86400; nNow < kH0 + 64 * 3600; nNow += 3600) {
        ASSERT_TRUE(NcRollUpTo(*m_pStore, nNow, &nDone));
        EXPECT_EQ(nDone, NcHourOf(nNow - kNcRollupLagSec));
    }
    const std::vector<NcRollupRow> stepped = Rows();
    ASSERT_TRUE(m_pStore->RebuildRollup(nDone));
    ExpectSameRows(Rows(), stepped);
    // A database from before the day rows: the migration starts the rollup over, the page counts it.
    ASSERT_EQ(RawSql(m_strUrl, "DROP TABLE analytics_rollup; DROP TABLE analytics_rollup_state;"
                               " DELETE FROM schema_version WHERE version = 5"),
              "");
    ASSERT_EQ(m_pStore->SchemaVersion(), 4);
    ASSERT_TRUE(m_pStore->Migrate());
    EXPECT_EQ(m_pStore->SchemaVersion(), 5);
    EXPECT_TRUE(Rows().empty());
    ASSERT_TRUE(NcRollUpTo(*m_pStore, kH0 + 64 * 3600 - 3600, &nDone));
    ExpectSameRows(Rows(), stepped);
}

TEST_P(SiteRollup, ACountThatFailsHalfWayLeavesTheRollupAndItsMarkAsTheyWere) {
    std::mt19937 rng(7);
    NcReport first = RandomReport(rng, kH0 + 100);
    first.strServerName = "S1";
    Store(first);
    NcReport second = RandomReport(rng, kH0 + 200);
    second.strServerName = "boom";
    Store(second);
    // The database refuses the hour's pair row of "boom", which is written after the hour's, the
    // server's, the group's and the carrier's rows.
    const std::string strTrap =
        m_strUrl.compare(0, 7, "sqlite:") == 0
            ? "CREATE TRIGGER trap BEFORE INSERT ON analytics_rollup WHEN NEW.dim = 4 AND NEW.key1 = 'boom'"
              " BEGIN SELECT RAISE(ABORT, 'trap'); END"
            : "CREATE FUNCTION trap() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
              " IF NEW.dim = 4 AND NEW.key1 = 'boom' THEN RAISE EXCEPTION 'trap'; END IF; RETURN NEW; END $$;"
              " CREATE TRIGGER trap BEFORE INSERT ON analytics_rollup FOR EACH ROW EXECUTE FUNCTION trap()";
    ASSERT_EQ(RawSql(m_strUrl, strTrap), "");
    const int64_t nNow = kH0 + 3 * 3600;
    int64_t nDone = 0;
    EXPECT_FALSE(NcRollUpTo(*m_pStore, nNow, &nDone));
    EXPECT_TRUE(Rows().empty());
    // The page counts from the reports meanwhile.
    ExpectSameAnalytics(Loaded(kH0, kH0 + 3600, nNow), Counted(kH0, kH0 + 3600));
    // Once the database takes the rows, the count starts where it was: nothing missing, nothing twice.
    ASSERT_EQ(RawSql(m_strUrl, "DROP TRIGGER trap" + std::string(m_strUrl.compare(0, 7, "sqlite:") == 0 ? "" : " ON analytics_rollup")), "");
    ASSERT_TRUE(NcRollUpTo(*m_pStore, nNow, &nDone));
    std::vector<NcRollupRow> rows;
    ASSERT_TRUE(m_pStore->ListRollup(kNcRollupHour, kH0, kH0 + 3600, &rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].nReports, 2);
    ExpectSameAnalytics(Loaded(kH0, kH0 + 3600, nNow), Counted(kH0, kH0 + 3600));
}

TEST_P(SiteRollup, ADamagedHistogramIsCountedFromTheReportsUntilARebuild) {
    Fill();
    const int64_t nNow = kH0 + 90 * 3600;
    int64_t nDone = 0;
    ASSERT_TRUE(NcRollUpTo(*m_pStore, nNow, &nDone));
    const bool bSqlite = m_strUrl.compare(0, 7, "sqlite:") == 0;
    // A histogram cut short: one entry announced, none there.
    ASSERT_EQ(RawSql(m_strUrl, bSqlite ? "UPDATE analytics_rollup SET lat = x'0101' WHERE dim = 0"
                                       : "UPDATE analytics_rollup SET lat = '\\x0101'::bytea WHERE dim = 0"),
              "");
    std::vector<NcRollupRow> rows;
    EXPECT_FALSE(AllRows(&rows));
    ExpectSameAnalytics(Loaded(kH0, kH0 + 48 * 3600, nNow), Counted(kH0, kH0 + 48 * 3600));
    ASSERT_TRUE(m_pStore->RebuildRollup(nDone));
    EXPECT_TRUE(AllRows(&rows));
    ExpectSameAnalytics(Loaded(kH0 + 1, kH0 + 48 * 3600, nNow), Counted(kH0 + 1, kH0 + 48 * 3600));
}

NC_SERVER_BACKENDS(SiteRollup);

TEST(RollupHistogram, RoundTripsAndRefusesEveryDamagedForm) {
    const NcHistogram hist = {{INT32_MIN, 1}, {-1, 2}, {0, 5}, {1, 1}, {127, 300}, {70000, 4}, {INT32_MAX, 1}};
    const std::string strBytes = NcEncodeHistogram(hist);
    NcHistogram back;
    ASSERT_TRUE(NcDecodeHistogram(strBytes.data(), strBytes.size(), &back));
    EXPECT_EQ(back, hist);
    const std::string strEmpty = NcEncodeHistogram({});
    EXPECT_TRUE(NcDecodeHistogram(strEmpty.data(), strEmpty.size(), &back));
    EXPECT_TRUE(back.empty());

    // Every prefix of a whole histogram, and a byte too many.
    for (size_t n = 0; n < strBytes.size(); ++n) EXPECT_FALSE(NcDecodeHistogram(strBytes.data(), n, &back)) << n;
    const std::string strLonger = strBytes + '\0';
    EXPECT_FALSE(NcDecodeHistogram(strLonger.data(), strLonger.size(), &back));
    const std::string kBad[] = {
        std::string("\x02\x01\x00\x01", 4),               // unknown format
        std::string("\x01\x02\x02\x01\x00\x01", 6),       // a value not above the one before
        std::string("\x01\x01\x02\x00", 4),               // a zero count
        std::string("\x01\x01\xfe\xff\xff\xff\x1f\x01", 8),   // a value past int32
        std::string("\x01\x7f\x00\x01", 4),               // more entries announced than bytes left
        std::string("\x01\x01\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x01\x01", 14),   // a varint past 64 bits
        std::string("\x01\x02\x00\xff\xff\xff\xff\xff\xff\xff\xff\x3f\x02\x02", 14),   // the total past 2^62
    };
    for (const std::string& str : kBad) {
        EXPECT_FALSE(NcDecodeHistogram(str.data(), str.size(), &back)) << testing::PrintToString(str);
    }
    EXPECT_FALSE(NcDecodeHistogram(nullptr, 0, &back));
}

}  // namespace
