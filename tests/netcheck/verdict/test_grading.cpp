// Grading of figures against the bounds, the combination table and the advice index.
#include "netcheck/NcTest_CheckTables.h"
#include "common/NcTest_TempDir.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"
#include "netcheck/verdict/NetChk_Grading.h"

#include <gtest/gtest.h>

namespace {

class GradingTest : public ::testing::Test {
protected:
    void SetUp() override {
        checktables::WriteStringTable();
        ASSERT_TRUE(m_res.LoadStringDef());
    }
    // "grade text" of one figure.
    std::string Grade(int32_t nValue, int32_t a, int32_t b, int32_t c) {
        const int32_t bounds[3] = {a, b, c};
        std::string text;
        int32_t grade = -7;
        GradeLagLoss(nValue, text, bounds, grade, &m_res);
        return std::to_string(grade) + " " + text;
    }
    ScopedTempDir m_dir{true};
    CNetChk_UtilResMgr m_res;
};

TEST_F(GradingTest, BoundsAreInclusiveAndTheOverflowIsOptional) {
    EXPECT_EQ("0 ll-good", Grade(50, 50, 100, 0));
    EXPECT_EQ("1 ll-common", Grade(51, 50, 100, 0));
    EXPECT_EQ("1 ll-common", Grade(100, 50, 100, 0));
    EXPECT_EQ("2 ll-bad", Grade(101, 50, 100, 0));
    EXPECT_EQ("2 ll-bad", Grade(100000, 50, 100, 0));  // overflow switched off
    EXPECT_EQ("2 ll-bad", Grade(300, 50, 100, 300));
    EXPECT_EQ("2 ll-overflow", Grade(301, 50, 100, 300));
}

TEST_F(GradingTest, OddBoundsKeepTheGoodTestFirst) {
    // Common bound below the good bound: a value between them is still good.
    EXPECT_EQ("0 ll-good", Grade(75, 100, 50, 0));
    EXPECT_EQ("2 ll-bad", Grade(101, 100, 50, 0));
    // All bounds 0 (no table): positive values are bad, zero and below good.
    EXPECT_EQ("2 ll-bad", Grade(1, 0, 0, 0));
    EXPECT_EQ("0 ll-good", Grade(0, 0, 0, 0));
    EXPECT_EQ("0 ll-good", Grade(-5, 0, 0, 0));
    // Signed comparisons: a negative overflow bound is "on" and below every positive value.
    EXPECT_EQ("2 ll-overflow", Grade(20, 5, 10, -1));
}

TEST(GradingRules, CombinationTable) {
    // rows: loss grade 0..2, columns: latency grade 0..2
    const int32_t expected[3][3] = {{0, 0, 1}, {1, 1, 2}, {2, 2, 2}};
    for (int32_t loss = 0; loss < 3; ++loss)
        for (int32_t lag = 0; lag < 3; ++lag)
            EXPECT_EQ(expected[loss][lag], CombineGrades(lag, loss)) << "lag " << lag << " loss " << loss;
}

TEST(GradingRules, OutcomeAndAdviceMapping) {
    EXPECT_EQ(0, OutcomeToGrade(0));
    EXPECT_EQ(1, OutcomeToGrade(1));
    EXPECT_EQ(1, OutcomeToGrade(2));
    EXPECT_EQ(2, OutcomeToGrade(3));
    EXPECT_EQ(2, OutcomeToGrade(-1));
    EXPECT_EQ(0, AdviceIndexForGrade(0));
    EXPECT_EQ(2, AdviceIndexForGrade(1));
    EXPECT_EQ(3, AdviceIndexForGrade(2));
    // An ordered run never selects index 1.
    for (int32_t g = -2; g < 5; ++g) EXPECT_NE(1, AdviceIndexForGrade(g));
}

}  // namespace
