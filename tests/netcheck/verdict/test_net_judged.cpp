// Loading the grading bounds from NetJudged.csv.
#include "netcheck/NcTest_CheckTables.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(NetJudged, RowsGiveGoodCommonAndOverflowBounds) {
    ScopedTempDir dir(true);
    checktables::WriteBounds("80/150/500", "2/10/50");
    CNetChk_UtilResMgr res;
    ASSERT_TRUE(res.LoadNetJudged());
    EXPECT_EQ(80, res.GetLagLimits()[0]);
    EXPECT_EQ(150, res.GetLagLimits()[1]);
    EXPECT_EQ(500, res.GetLagLimits()[2]);
    EXPECT_EQ(2, res.GetLossLimits()[0]);
    EXPECT_EQ(10, res.GetLossLimits()[1]);
    EXPECT_EQ(50, res.GetLossLimits()[2]);
}

TEST(NetJudged, ColumnsByNameCellsReadLikeAtoiExtraRowsIgnored) {
    ScopedTempDir dir(true);
    WriteTestFile("config/sys/NetJudged.csv",
                  "丢包率(%),说明,网络延迟(ms)\n"
                  "3,good,60ms\n"
                  ",common,\n"
                  "-4,overflow, 900\n"
                  "77,extra,77\n");
    CNetChk_UtilResMgr res;
    ASSERT_TRUE(res.LoadNetJudged());
    EXPECT_EQ(60, res.GetLagLimits()[0]);
    EXPECT_EQ(0, res.GetLagLimits()[1]);
    EXPECT_EQ(900, res.GetLagLimits()[2]);
    EXPECT_EQ(3, res.GetLossLimits()[0]);
    EXPECT_EQ(0, res.GetLossLimits()[1]);
    EXPECT_EQ(-4, res.GetLossLimits()[2]);

    // A table with fewer rows leaves the missing bounds at 0.
    WriteTestFile("config/sys/NetJudged.csv", "网络延迟(ms),丢包率(%)\n40,1\n");
    CNetChk_UtilResMgr shortTable;
    ASSERT_TRUE(shortTable.LoadNetJudged());
    EXPECT_EQ(40, shortTable.GetLagLimits()[0]);
    EXPECT_EQ(0, shortTable.GetLagLimits()[1]);
    EXPECT_EQ(0, shortTable.GetLossLimits()[2]);
}

TEST(NetJudged, MissingTableIsLoggedAndLeavesZeros) {
    ScopedTempDir dir(true);
    ScopedLogCapture log;
    log.ExpectError("[WL_ERROR] [M_Common]无法读取网络质量配置文件./config/sys/NetJudged.csv！");
    ScopedMessageBoxRecorder boxes;

    CNetChk_UtilResMgr res;
    EXPECT_FALSE(res.LoadNetJudged());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0, res.GetLagLimits()[i]);
        EXPECT_EQ(0, res.GetLossLimits()[i]);
    }
    ASSERT_EQ(1u, log.Lines().size());
    EXPECT_NE(std::string::npos,
              log.Lines()[0].find("[WL_ERROR] [M_Common]无法读取网络质量配置文件./config/sys/NetJudged.csv！"));
}

}  // namespace
