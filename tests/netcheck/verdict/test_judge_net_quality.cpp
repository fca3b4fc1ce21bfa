// The verdict of one slot: grades, tips, the three readings and the summary in front of the report.
#include "netcheck/NcTest_CheckTables.h"
#include "common/NcTest_CheckView.h"
#include "common/NcTest_TempDir.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

namespace {

class JudgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        checktables::WriteStringTable();
        checktables::WriteBounds("80/150/500", "2/10/50");
        ASSERT_TRUE(m_res.LoadStringDef());
        ASSERT_TRUE(m_res.LoadNetJudged());
        m_mgr.Attach(&m_view, &m_host, &m_res);
        g_DetailInfo.strReportText = "OUTPUT";
    }
    void TearDown() override { g_DetailInfo.strReportText.clear(); }

    int32_t Judge(bool bDisplay, int32_t nLag, int32_t nLoss, int32_t nOutcome = 0) {
        m_mgr.SetSlotFigures(1, nLag, nLoss);
        int32_t nGrade = -9;
        m_mgr.JudgeNetQuality(bDisplay, nGrade, 1, nOutcome);
        return nGrade;
    }

    ScopedTempDir m_dir{true};
    CNetChk_UtilResMgr m_res;
    RecordingCheckView m_view;
    RecordingRunHost m_host;
    CNetChk_CommandMgr m_mgr;
};

TEST_F(JudgeTest, DisplayFillsReadingsTipsAndTheReportSummary) {
    EXPECT_EQ(0, Judge(true, 100, 0));  // latency common, loss good: good
    EXPECT_EQ("nq-good", m_view.texts[0]);
    EXPECT_EQ("ll-common", m_view.texts[1]);
    EXPECT_EQ("ll-good", m_view.texts[2]);
    EXPECT_EQ("丢包率:0%#r平均延时:100毫秒", m_view.tips[0]);
    EXPECT_EQ("平均延时:100毫秒", m_view.tips[1]);
    EXPECT_EQ("丢包率:0%", m_view.tips[2]);
    EXPECT_EQ("网络质量: 良好\n网络延迟: 中 100毫秒\n丢包率: 低 0%\n\nOUTPUT", g_DetailInfo.strReportText);
}

TEST_F(JudgeTest, WithoutDisplayNothingIsShown) {
    EXPECT_EQ(1, Judge(false, 151, 0));  // bad latency with good loss is common
    EXPECT_EQ(2, Judge(false, 10, 11));
    EXPECT_TRUE(m_view.calls.empty());
    EXPECT_EQ("OUTPUT", g_DetailInfo.strReportText);
}

TEST_F(JudgeTest, NoReplyIsBadWhateverTheBounds) {
    EXPECT_EQ(2, Judge(true, -1, 100));
    EXPECT_EQ("平均延时:大于500毫秒", m_view.tips[1]);
    EXPECT_EQ("ll-bad", m_view.texts[1]);
    EXPECT_EQ("ll-overflow", m_view.texts[2]);  // 100 % is above the loss overflow bound of 50
    EXPECT_EQ("nq-bad", m_view.texts[0]);
    EXPECT_EQ("网络质量: 较差\n网络延迟: 高 大于500毫秒\n丢包率: 高 100%\n\nOUTPUT", g_DetailInfo.strReportText);
    // Bad latency with good loss is only common.
    EXPECT_EQ(1, Judge(false, -1, 0));
}

TEST_F(JudgeTest, FollowUpFlagOverridesOnlyADisplayingVerdict) {
    m_mgr.SetRunGroup5(true);
    EXPECT_EQ(2, Judge(false, 10, 100, 2));  // ignored without display
    EXPECT_EQ(1, Judge(true, 10, 100, 2));
    EXPECT_EQ("nq-common", m_view.texts[0]);
    EXPECT_EQ(0, Judge(true, -1, 100, 0));
    EXPECT_EQ(2, Judge(true, 10, 0, 3));
    EXPECT_EQ(2, Judge(true, 10, 0, -1));
    m_mgr.SetRunGroup5(false);
    EXPECT_EQ(0, Judge(true, 10, 0, 3));  // flag off: the figures decide
}

TEST_F(JudgeTest, TwoDisplayingVerdictsStackTheLaterFirst) {
    Judge(true, 10, 0);
    Judge(true, 200, 20);
    EXPECT_EQ("网络质量: 较差\n网络延迟: 高 200毫秒\n丢包率: 高 20%\n\n"
              "网络质量: 良好\n网络延迟: 低 10毫秒\n丢包率: 低 0%\n\nOUTPUT",
              g_DetailInfo.strReportText);
}

}  // namespace
