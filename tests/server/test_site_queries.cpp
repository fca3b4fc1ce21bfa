// The support site's reads on both backends: every filter of the report list, paging, and the window of
// the analytics rows.
#include "server/NcServerTest_Fixture.h"

namespace {

class SiteQueries : public ServerTest {
protected:
    // Stores a report and returns its number.
    int64_t Add(const std::string& strUser, const std::string& strServer, const std::string& strGroup,
                const std::string& strCarrier, int32_t nVerdict, int64_t nAt, const std::string& strDescription,
                int nTargets = 1) {
        NcReport report;
        report.strUserName = strUser;
        report.strServerName = strServer;
        report.strQuestionType = strGroup;
        report.strNetType = strCarrier;
        report.nVerdict = nVerdict;
        report.nReceivedAt = nAt;
        report.strDescription = strDescription;
        report.strClientAddr = "10.0.0.1";
        for (int i = 0; i < nTargets; ++i) {
            NcTargetFigures f;
            f.strTarget = "t" + std::to_string(i);
            f.nAvgMs = 10 * (i + 1);
            f.nLoss = i;
            f.dJitterMs = 0.5;
            report.vecFigures.push_back(f);
        }
        int64_t nId = 0;
        EXPECT_EQ(m_pStore->InsertReport(report, nAt, 0, &nId), NcInsertOutcome::Stored);
        return nId;
    }

    std::vector<int64_t> Ids(const NcReportFilter& filter, int64_t nOffset = 0, int32_t nLimit = 100) {
        std::vector<NcReportRow> rows;
        EXPECT_TRUE(m_pStore->ListReports(filter, nOffset, nLimit, &rows));
        std::vector<int64_t> ids;
        for (const NcReportRow& row : rows) ids.push_back(row.nId);
        return ids;
    }
};

TEST_P(SiteQueries, FiltersNarrowAndPagesRunNewestFirst) {
    StartServer();
    const int64_t kDay = 86400, t0 = 1800000000 - 1800000000 % kDay;
    const int64_t a = Add("alice", "S1", "掉线", "电信", 0, t0 + 10, "游戏卡 100% lag");
    const int64_t b = Add("bob", "S2", "卡顿", "联通", 2, t0 + kDay, "it_s fine");
    const int64_t c = Add("alice", "S2", "卡顿", "移动", 1, t0 + kDay + 5, "x'); DROP TABLE reports; --");
    const int64_t d = Add("张三", "S1", "掉线", "电信", 2, t0 + 2 * kDay - 1, "its fine, LAG");
    const int64_t e = Add("eve", "S1", "其他", "电信", -1, t0 + 2 * kDay, "");

    EXPECT_EQ(Ids(NcReportFilter()), (std::vector<int64_t>{e, d, c, b, a}));
    NcReportFilter f;
    f.strAccount = "alice";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{c, a}));
    f = NcReportFilter();
    f.strServer = "S1";
    f.strCarrier = "电信";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{e, d, a}));
    f.strGroup = "掉线";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{d, a}));
    f = NcReportFilter();
    f.nVerdict = 2;
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{d, b}));
    f.nVerdict = -1;
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{e}));
    f.nVerdict = 0;
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{a}));
    // The date range is [from, to): the report at the "to" second belongs to the next range.
    f = NcReportFilter();
    f.nFrom = t0 + kDay;
    f.nTo = t0 + 2 * kDay;
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{d, c, b}));
    // Free text is a plain substring: "%" and "_" are characters, not patterns; case counts.
    f = NcReportFilter();
    f.strText = "100%";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{a}));
    f.strText = "t_s";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{b}));
    f.strText = "LAG";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{d}));
    f.strText = "DROP TABLE";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{c}));
    f.strText = "卡";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{a}));
    f.strText = "' OR '1'='1";
    EXPECT_TRUE(Ids(f).empty());

    // Wildcards of the index's own pattern language are plain characters too.
    const int64_t g1 = Add("g1", "S9", "g", "c", 0, t0 + 3 * kDay, "a*b [x] done");
    const int64_t g2 = Add("g2", "S9", "g", "c", 0, t0 + 3 * kDay, "axyb x done");
    f = NcReportFilter();
    f.strText = "a*b";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{g1}));
    for (const char* szPattern : {"a?b", "a_b", "x%done", "a\\*b"}) {
        f.strText = szPattern;
        EXPECT_TRUE(Ids(f).empty()) << szPattern;
    }
    f.strText = "[x] done";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{g1}));
    f.strText = "x] done";
    f.strServer = "S9";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{g1}));
    f.strText = " done";
    EXPECT_EQ(Ids(f), (std::vector<int64_t>{g2, g1}));
    f = NcReportFilter();
    f.nTo = t0 + 3 * kDay;

    // Paging: two per page, newest first, nothing lost or repeated at the seams.
    EXPECT_EQ(Ids(f, 0, 2), (std::vector<int64_t>{e, d}));
    EXPECT_EQ(Ids(f, 2, 2), (std::vector<int64_t>{c, b}));
    EXPECT_EQ(Ids(f, 4, 2), (std::vector<int64_t>{a}));
    EXPECT_TRUE(Ids(f, 6, 2).empty());

    std::vector<NcReportRow> rows;
    f = NcReportFilter();
    f.strAccount = "张三";
    ASSERT_TRUE(m_pStore->ListReports(f, 0, 10, &rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].strServerName, "S1");
    EXPECT_EQ(rows[0].strQuestionType, "掉线");
    EXPECT_EQ(rows[0].strNetType, "电信");
    EXPECT_EQ(rows[0].nVerdict, 2);
    EXPECT_EQ(rows[0].nReceivedAt, t0 + 2 * kDay - 1);
    EXPECT_EQ(rows[0].strDescription, "its fine, LAG");
}

TEST_P(SiteQueries, AnalyticsRowsCoverTheWindowWithEveryTarget) {
    StartServer();
    const int64_t t0 = 1800000000;
    Add("a", "S1", "g", "c", 0, t0 - 1, "", 2);
    const int64_t b = Add("b", "S1", "g", "c", 2, t0, "", 2);
    const int64_t c = Add("c", "S2", "g", "c", 1, t0 + 100, "", 0);
    Add("d", "S2", "g", "c", 1, t0 + 3600, "", 1);

    std::vector<NcFigureRow> rows;
    ASSERT_TRUE(m_pStore->ListFigures(t0, t0 + 3600, 1000, &rows));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].nReportId, b);
    EXPECT_EQ(rows[0].strTarget, "t0");
    EXPECT_EQ(rows[0].nAvgMs, 10);
    EXPECT_EQ(rows[1].strTarget, "t1");
    EXPECT_EQ(rows[1].nAvgMs, 20);
    EXPECT_EQ(rows[1].nLoss, 1);
    EXPECT_DOUBLE_EQ(rows[1].dJitterMs, 0.5);
    EXPECT_EQ(rows[1].nVerdict, 2);
    // A report without targets still counts: one row with no target.
    EXPECT_EQ(rows[2].nReportId, c);
    EXPECT_TRUE(rows[2].strTarget.empty());
    EXPECT_EQ(rows[2].strServerName, "S2");
    // The row cap holds.
    ASSERT_TRUE(m_pStore->ListFigures(t0 - 10, t0 + 7200, 2, &rows));
    EXPECT_EQ(rows.size(), 2u);

    // The detail read gives the verdict back.
    NcReport stored;
    ASSERT_TRUE(m_pStore->GetReport(b, &stored));
    EXPECT_EQ(stored.nVerdict, 2);
}

NC_SERVER_BACKENDS(SiteQueries);

}  // namespace
