// Analytics figures against a fixture computed by hand.
#include "server/NcServerTest_AnalyticsReference.h"
#include "server/site/NcSite_Analytics.h"

#include <gtest/gtest.h>

namespace {

NcFigureRow Row(int64_t nId, int64_t nAt, const char* szServer, const char* szCarrier, int32_t nVerdict,
                const char* szTarget, int32_t nAvg, int32_t nLoss, double dJitter) {
    NcFigureRow row;
    row.nReportId = nId;
    row.nReceivedAt = nAt;
    row.strServerName = szServer;
    row.strQuestionType = "g";
    row.strNetType = szCarrier;
    row.nVerdict = nVerdict;
    row.strTarget = szTarget;
    row.nAvgMs = nAvg;
    row.nLoss = nLoss;
    row.dJitterMs = dJitter;
    return row;
}

TEST(SiteAnalytics, NearestRankPercentiles) {
    EXPECT_EQ(NcPercentile({}, 50), -1);
    EXPECT_EQ(NcPercentile({7}, 95), 7);
    EXPECT_EQ(NcPercentile({100, 10, 90, 20, 80, 30, 70, 40, 60, 50}, 50), 50);
    EXPECT_EQ(NcPercentile({100, 10, 90, 20, 80, 30, 70, 40, 60, 50}, 95), 100);
    EXPECT_EQ(NcPercentile({3, 1, 2}, 50), 2);
    // 20 values 1..20: rank ceil(0.95 * 20) = 19.
    std::vector<int32_t> v;
    for (int i = 20; i >= 1; --i) v.push_back(i);
    EXPECT_EQ(NcPercentile(v, 95), 19);
    EXPECT_EQ(NcPercentile(v, 50), 10);
}

TEST(SiteAnalytics, GroupsSharesAndHourBuckets) {
    const int64_t h0 = 1800000000 - 1800000000 % 3600;
    const int64_t nFrom = h0 + 600;   // the first hour starts at h0 all the same
    std::vector<NcFigureRow> rows = {
        // report 1: S1/电信, good, two targets
        Row(1, h0 + 600, "S1", "电信", 0, "game", 30, 0, 1.0),
        Row(1, h0 + 600, "S1", "电信", 0, "gw", 2, 0, -1),
        // report 2: S1/移动, bad, game without replies (no average), full loss
        Row(2, h0 + 3599, "S1", "移动", 2, "game", -1, 100, -1),
        // report 3: S2/移动, bad
        Row(3, h0 + 3600, "S2", "移动", 2, "game", 200, 20, 3.0),
        // report 4: S1/移动, common, one target
        Row(4, h0 + 2 * 3600 + 5, "S1", "移动", 1, "game", 90, 10, 2.0),
    };
    NcFigureRow none;   // report 5: no targets at all, no verdict
    none.nReportId = 5;
    none.nReceivedAt = h0 + 2 * 3600 + 6;
    none.strServerName = "S2";
    none.strQuestionType = "g";
    none.strNetType = "电信";
    rows.push_back(none);

    const NcAnalytics a = NcAnalyticsFromFigures(rows, nFrom, h0 + 3 * 3600);
    EXPECT_EQ(a.nReports, 5);
    EXPECT_EQ(a.nBad, 2);

    ASSERT_EQ(a.vecHours.size(), 3u);
    EXPECT_EQ(a.vecHours[0].nStart, h0);
    EXPECT_EQ(a.vecHours[0].nReports, 2);   // h0+600 and h0+3599
    EXPECT_EQ(a.vecHours[0].nBad, 1);
    EXPECT_EQ(a.vecHours[0].nLatP50, 2);    // {2, 30}: rank 1
    EXPECT_EQ(a.vecHours[0].nLatP95, 30);
    EXPECT_EQ(a.vecHours[1].nReports, 1);
    EXPECT_EQ(a.vecHours[1].nLatP50, 200);
    EXPECT_EQ(a.vecHours[2].nReports, 2);
    EXPECT_EQ(a.vecHours[2].nBad, 0);
    EXPECT_EQ(a.vecHours[2].nLatP50, 90);

    // By server: S1 has reports 1, 2, 4 (one bad), S2 has 3 and 5 (one bad). Most reports first.
    ASSERT_EQ(a.vecByServer.size(), 2u);
    const NcGroupStats& s1 = a.vecByServer[0];
    EXPECT_EQ(s1.strKey, "S1");
    EXPECT_EQ(s1.nReports, 3);
    EXPECT_EQ(s1.nBad, 1);
    EXPECT_NEAR(s1.dBadShare, 1.0 / 3, 1e-9);
    ASSERT_EQ(s1.vecTargets.size(), 2u);
    const NcTargetStats& game = s1.vecTargets[0];
    EXPECT_EQ(game.strTarget, "game");
    EXPECT_EQ(game.nSamples, 3);
    EXPECT_EQ(game.nLatP50, 30);    // {30, 90}: the row without an average does not count
    EXPECT_EQ(game.nLatP95, 90);
    EXPECT_EQ(game.nLossP50, 10);   // {0, 10, 100}
    EXPECT_EQ(game.nLossP95, 100);
    EXPECT_DOUBLE_EQ(game.dJitterMean, 1.5);   // {1.0, 2.0}
    EXPECT_EQ(s1.vecTargets[1].strTarget, "gw");
    EXPECT_DOUBLE_EQ(s1.vecTargets[1].dJitterMean, -1);
    const NcGroupStats& s2 = a.vecByServer[1];
    EXPECT_EQ(s2.nReports, 2);
    EXPECT_EQ(s2.nBad, 1);
    EXPECT_EQ(s2.vecTargets.size(), 1u);

    ASSERT_EQ(a.vecByCarrier.size(), 2u);
    EXPECT_EQ(a.vecByCarrier[0].strKey, "移动");
    EXPECT_EQ(a.vecByCarrier[0].nReports, 3);
    EXPECT_EQ(a.vecByCarrier[0].nBad, 2);
    ASSERT_EQ(a.vecByGroup.size(), 1u);
    EXPECT_EQ(a.vecByGroup[0].nReports, 5);

    // Worst pairs: most bad reports first, then share. S1/移动 and S2/移动 have one each; S2/移动 has the
    // larger share (1 of 1 against 1 of 2).
    ASSERT_GE(a.vecWorst.size(), 3u);
    EXPECT_EQ(a.vecWorst[0].strServer, "S2");
    EXPECT_EQ(a.vecWorst[0].strCarrier, "移动");
    EXPECT_EQ(a.vecWorst[1].strServer, "S1");
    EXPECT_EQ(a.vecWorst[1].strCarrier, "移动");
    EXPECT_EQ(a.vecWorst[1].nReports, 2);
    EXPECT_EQ(a.vecWorst[1].nLatP95, 90);
}

TEST(SiteAnalytics, LongWindowsKeepTheirLastMonthOfHours) {
    const int64_t nTo = 1800000000 - 1800000000 % 3600;
    const NcAnalytics a = NcAnalyticsFromFigures({}, nTo - 90 * 86400, nTo);
    ASSERT_EQ(static_cast<int64_t>(a.vecHours.size()), kNcMaxHours);
    EXPECT_EQ(a.vecHours.back().nStart, nTo - 3600);
    // The plots draw something for an empty window and for a busy one.
    EXPECT_EQ(NcReportsPlotSvg(a.vecHours).rfind("<svg", 0), 0u);
    EXPECT_NE(NcLatencyPlotSvg(a.vecHours).find("</svg>"), std::string::npos);
}

}  // namespace
