// The ping summary parser on recorded Windows (English, Chinese GBK) and iputils outputs.
#include "netcheck/NcTest_PingSamples.h"
#include "netcheck/readers/NetChk_PingParser.h"

#include <gtest/gtest.h>

namespace {

struct Figures {
    int nLoss;
    int nLag;
};

Figures Parse(const std::string& strText) {
    NetChk_PingFigures f = NetChk_ParsePingText(strText);
    return {f.nLoss, f.nLag};
}

}  // namespace

TEST(PingParser, WindowsEnglishSummary) {
    Figures f = Parse(pingsamples::WindowsEnglish(25, 1, 11));
    EXPECT_EQ(25, f.nLoss);
    EXPECT_EQ(11, f.nLag);

    NetChk_PingFigures full = NetChk_ParsePingText(pingsamples::WindowsEnglish(0, 0, 7));
    EXPECT_EQ("0", full.strLossText);
    EXPECT_EQ("7", full.strLagText);

    // Every reply lost: loss from the summary, no average line at all.
    f = Parse(pingsamples::WindowsEnglishAllLost());
    EXPECT_EQ(100, f.nLoss);
    EXPECT_EQ(-1, f.nLag);

    // "Average = 0ms" is a real reading of 0, not "unknown".
    EXPECT_EQ(0, Parse(pingsamples::WindowsEnglish(0, 0, 0)).nLag);
}

TEST(PingParser, WindowsChineseSummaryInGbk) {
    const std::string text = pingsamples::WindowsChinese(0, 11);
    // The sample really is GBK: "丢失" is B6 AA CA A7 in code page 936.
    ASSERT_NE(std::string::npos, text.find("\xB6\xAA\xCA\xA7"));
    Figures f = Parse(text);
    EXPECT_EQ(0, f.nLoss);
    EXPECT_EQ(11, f.nLag);

    f = Parse(pingsamples::WindowsChinese(50, 230));
    EXPECT_EQ(50, f.nLoss);
    EXPECT_EQ(230, f.nLag);

    // The full-width comma after the marker is no part of it.
    EXPECT_EQ(100, Parse("    丢失 = 4 (100% 丢失)，\r\n").nLoss);
}

TEST(PingParser, LossMarkerNeedsTheComma) {
    // Without the trailing comma the line is no loss line, and nothing else gives a loss.
    Figures f = Parse("    Packets: Sent = 4, Received = 3, Lost = 1 (25% loss)\r\n");
    EXPECT_EQ(100, f.nLoss);
    // The last line with a marker wins.
    f = Parse("Lost = 1 (25% loss),\nLost = 2 (50% loss),\n");
    EXPECT_EQ(50, f.nLoss);
    // Without "(" the whole text before the marker is converted: leading blanks skipped, then digits.
    EXPECT_EQ(0, Parse("Lost = 4 100% loss),\n").nLoss);
    EXPECT_EQ(12, Parse("  12% loss),\n").nLoss);
}

TEST(PingParser, AverageLineIsTheLastLineWithSpaceOrEquals) {
    const std::string base = pingsamples::WindowsEnglish(0, 0, 11);
    // A later line with a space hides the average.
    EXPECT_EQ(-1, Parse(base + "Press any key\r\n").nLag);
    // An empty line or a lone carriage return changes nothing.
    EXPECT_EQ(11, Parse(base + "\r\n\r\n").nLag);
    EXPECT_EQ(11, Parse(base + "\r").nLag);
    // Average without "ms": the whole tail is converted.
    EXPECT_EQ(42, Parse("Minimum = 1ms, Average =42\n").nLag);
    // Chinese average label in a line that is not the last one with a space.
    EXPECT_EQ(-1, Parse("    最短 = 10ms，最长 = 12ms，平均 = 11ms\r\nDone here\r\n").nLag);
}

TEST(PingParser, IputilsSummary) {
    Figures f = Parse(pingsamples::Iputils("4 packets transmitted, 4 received, 0% packet loss, time 3004ms",
                                           "rtt min/avg/max/mdev = 0.045/0.053/0.068/0.010 ms"));
    EXPECT_EQ(0, f.nLoss);
    EXPECT_EQ(0, f.nLag);

    // Averages round to the nearest millisecond, halves up.
    f = Parse(pingsamples::Iputils("4 packets transmitted, 3 received, 25% packet loss, time 3005ms",
                                   "rtt min/avg/max/mdev = 20.101/25.500/30.2/1.0 ms"));
    EXPECT_EQ(25, f.nLoss);
    EXPECT_EQ(26, f.nLag);
    EXPECT_EQ(24, Parse(pingsamples::Iputils("1 packets transmitted, 1 received, 0% packet loss", "rtt min/avg/max/mdev = 1/24.499/30/1 ms")).nLag);
    EXPECT_EQ(150, Parse(pingsamples::Iputils("1 packets transmitted, 1 received, 0% packet loss", "rtt min/avg/max/mdev = 150/150/150/0 ms")).nLag);

    // Nothing answered: errors in the summary, no rtt line.
    f = Parse(pingsamples::Iputils("4 packets transmitted, 0 received, +4 errors, 100% packet loss, time 3051ms", ""));
    EXPECT_EQ(100, f.nLoss);
    EXPECT_EQ(-1, f.nLag);

    // Fractional loss keeps its whole percent.
    EXPECT_EQ(33, Parse(pingsamples::Iputils("3 packets transmitted, 2 received, 33.3333% packet loss, time 2002ms", "")).nLoss);

    // BusyBox words it "round-trip" and "packets received".
    f = Parse("--- 10.0.0.1 ping statistics ---\n1 packets transmitted, 1 packets received, 0% packet loss\n"
              "round-trip min/avg/max = 1.234/2.500/3.100 ms\n");
    EXPECT_EQ(0, f.nLoss);
    EXPECT_EQ(3, f.nLag);
}

TEST(PingParser, WindowsRulesComeFirst) {
    // A Windows loss line anywhere switches the iputils loss rule off.
    Figures f = Parse("Lost = 1 (25% loss),\n4 packets transmitted, 4 received, 0% packet loss\n");
    EXPECT_EQ(25, f.nLoss);
    // A Windows average wins over an earlier rtt line.
    f = Parse("rtt min/avg/max/mdev = 1/99/100/1 ms\nMinimum = 1ms, Maximum = 3ms, Average = 2ms\n");
    EXPECT_EQ(2, f.nLag);
    // "rtt " must start the line.
    EXPECT_EQ(-1, Parse(" rtt min/avg/max/mdev = 1/5/9/1 ms\n").nLag);
    // "packets transmitted" without a "% packet loss" leaves the loss unknown.
    EXPECT_EQ(100, Parse("4 packets transmitted, 4 received\n").nLoss);
}

TEST(PingParser, HostileOutputs) {
    EXPECT_EQ(100, Parse("").nLoss);
    EXPECT_EQ(-1, Parse("").nLag);
    Figures f = Parse(std::string(5000, '\0'));
    EXPECT_EQ(100, f.nLoss);
    EXPECT_EQ(-1, f.nLag);

    // NUL bytes inside the output do not hide the summary behind them.
    std::string withNul = std::string("garbage\0\0\0 more\n", 17) + pingsamples::WindowsEnglish(25, 1, 9);
    f = Parse(withNul);
    EXPECT_EQ(25, f.nLoss);
    EXPECT_EQ(9, f.nLag);

    // Absurd numbers stay within 32 bits and never crash.
    f = Parse(pingsamples::Iputils("1 packets transmitted, 0 received, 100% packet loss",
                                   "rtt min/avg/max/mdev = 1/99999999999999999999.9/3/4 ms"));
    EXPECT_EQ(-1, f.nLag);
    EXPECT_EQ(-1, Parse("rtt min/avg/max/mdev = 1/ /3/4 ms\n").nLag);
    EXPECT_EQ(-1, Parse("rtt min/avg/ = \n").nLag);
}
