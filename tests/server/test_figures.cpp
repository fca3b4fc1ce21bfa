// Figures read from recorded ping outputs as they arrive inside CheckContent.
#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"
#include "server/NcServer_Figures.h"

#include <gtest/gtest.h>

namespace {

std::string Sample(const std::string& strName) {
    const std::string strText = ReadTestFile(NcTestSourceDir() + "/tests/data/server/" + strName);
    EXPECT_FALSE(strText.empty()) << strName;
    return strText;
}

// What arrives of a report text: every line followed by "@@@", and every white-space byte a space (the
// client encodes them all as "+").
std::string Joined(const std::string& strReport) {
    std::string out;
    size_t uStart = 0;
    while (uStart < strReport.size()) {
        size_t uEnd = strReport.find('\n', uStart);
        if (uEnd == std::string::npos) uEnd = strReport.size();
        out += strReport.substr(uStart, uEnd - uStart) + "@@@";
        uStart = uEnd + 1;
    }
    for (char& c : out) {
        if (c == '\r' || c == '\t' || c == '\v' || c == '\f') c = ' ';
    }
    return out;
}

TEST(ReportFigures, EachPingOutputOfAReportGivesItsTargetsFigures) {
    // A report as the program builds it: the verdict's summary, then the commands' outputs in order,
    // with a command that is no ping between them.
    const std::string strReport = "网络质量：良好\n延迟：12ms\n" + Sample("ping_windows_en.txt") + Sample("tracert_windows_en.txt") +
                                  Sample("ping_windows_cn.txt") + Sample("ping_iputils.txt") +
                                  Sample("ping_windows_en_lost.txt") + "显卡型号:Example GPU\n";
    const std::vector<NcTargetFigures> figures = NcExtractFigures(Joined(strReport));
    ASSERT_EQ(figures.size(), 4u);

    EXPECT_EQ(figures[0].strTarget, "game.example.net");
    EXPECT_EQ(figures[0].nLoss, 25);
    EXPECT_EQ(figures[0].nAvgMs, 12);   // the summary's figure, through the program's parser
    EXPECT_EQ(figures[0].nMinMs, 10);
    EXPECT_EQ(figures[0].nMaxMs, 14);
    EXPECT_EQ(figures[0].nReplies, 3);
    EXPECT_DOUBLE_EQ(figures[0].dJitterMs, 3.0);  // |14-10| and |12-14|: the timed-out line is no reply

    EXPECT_EQ(figures[1].strTarget, "192.168.1.1");
    EXPECT_EQ(figures[1].nLoss, 0);
    EXPECT_EQ(figures[1].nAvgMs, 1);
    EXPECT_EQ(figures[1].nMinMs, 0);    // "时间<1ms"
    EXPECT_EQ(figures[1].nMaxMs, 3);
    EXPECT_EQ(figures[1].nReplies, 4);
    EXPECT_DOUBLE_EQ(figures[1].dJitterMs, (3.0 + 2.0 + 1.0) / 3);

    EXPECT_EQ(figures[2].strTarget, "127.0.0.1");
    EXPECT_EQ(figures[2].nLoss, 0);
    EXPECT_EQ(figures[2].nAvgMs, 1);
    EXPECT_EQ(figures[2].nMinMs, 0);
    EXPECT_EQ(figures[2].nMaxMs, 2);
    EXPECT_EQ(figures[2].nReplies, 3);
    EXPECT_NEAR(figures[2].dJitterMs, (2.023 + 1.017) / 2, 1e-9);

    EXPECT_EQ(figures[3].strTarget, "10.9.9.9");
    EXPECT_EQ(figures[3].nLoss, 100);
    EXPECT_EQ(figures[3].nAvgMs, -1);
    EXPECT_EQ(figures[3].nMinMs, -1);
    EXPECT_EQ(figures[3].nReplies, 0);
    EXPECT_EQ(figures[3].dJitterMs, -1);
}

TEST(ReportFigures, TextWithoutPingOutputGivesNone) {
    EXPECT_TRUE(NcExtractFigures("").empty());
    EXPECT_TRUE(NcExtractFigures(Joined(Sample("tracert_windows_en.txt"))).empty());
    // A header alone, cut off by the size of the report: a target with nothing known.
    const std::vector<NcTargetFigures> cut = NcExtractFigures("Pinging 10.0.0.1 with 32 bytes of data:@@@Reply from 10.0.0.1: bytes=32 time=");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].nLoss, 100);
    EXPECT_EQ(cut[0].nReplies, 0);
}

}  // namespace
