// Ordered runs end to end with recorded pings: progress, texts, verdict, report and result file.
#include "netcheck/run/NcTest_RunFixture.h"

namespace {

using OrderedRun = RunFixture;

TEST_F(OrderedRun, ThreeCommandsEndToEnd) {
    AddOrdered(0, "cat good.txt", "d0");
    AddOrdered(1, "echo copied", "d1");
    AddOrdered(2, "echo filed > S1.txt", "d2");
    Start();
    EXPECT_EQ(INetChk_RunHost::kAppChecking, m_host.nAppState);
    ASSERT_TRUE(RunToEnd());

    EXPECT_EQ((std::vector<std::string>{"0/3 1", "1/3 1", "2/3 1", "2/2 2"}), m_view.ProgressLines());
    EXPECT_EQ((std::vector<std::string>{"d0", "d1", "d2", "finished"}), m_view.stepTexts);
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);
    EXPECT_EQ((std::vector<bool>{false, true}), m_view.upload);
    EXPECT_EQ("results checking|checking|checking", m_view.calls[1]);
    EXPECT_EQ("nq-good", m_view.texts[0]);
    EXPECT_EQ(1, m_host.nFlashes);
    EXPECT_EQ(0, m_host.nQuitRequests);
    EXPECT_EQ(INetChk_RunHost::kAppIdle, m_host.nAppState);

    const std::string report = "网络质量: 良好\n网络延迟: 低 11毫秒\n丢包率: 低 0%\n\n" +
                               PingSummary("10.0.0.1", 0, 11) + "copied\nfiled\n\n显卡型号:TestGPU";
    EXPECT_EQ(report, g_DetailInfo.strReportText);

    // The result file: CR LF line ends, no stray CR, one line end at the end.
    std::string expected;
    for (char c : report) {
        if (c == '\r') continue;
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    EXPECT_EQ(expected + "\r\n", ResultFile());
    EXPECT_TRUE(m_log.Has("没有目录 " + (m_dir / "exe/checklist") + "，要自己创建一个!"));
    EXPECT_TRUE(m_log.Has("[WL_MUST] [M_Logic]保存结果文件 " + (m_dir / "exe/checklist/S1.txt")));
    EXPECT_TRUE(m_log.Has("[WL_MUST] [M_Logic]批处理全部执行完成！！"));
    EXPECT_TRUE(m_log.Has("[WL_WARNING] [M_Logic]开始执行批处理命令，目前是第 2 条，命令内容是echo filed > S1.txt"));
    // Working files are gone: the output file was read and deleted, the scripts removed by the stop.
    EXPECT_FALSE(std::filesystem::exists("S1.txt"));
    EXPECT_FALSE(std::filesystem::exists("QVRTNchk0.sh"));
    EXPECT_FALSE(std::filesystem::exists("QVRTNchk1.sh"));
}

TEST_F(OrderedRun, VerdictIndexFollowsTheLastPingAndARecheckStartsClean) {
    AddOrdered(0, "cat good.txt", "ping");
    const struct {
        const char* szFile;
        int32_t nIndex;
        const char* szQuality;
    } cases[] = {{"common.txt", 2, "nq-common"}, {"bad.txt", 3, "nq-bad"}, {"good.txt", 0, "nq-good"}};
    for (const auto& c : cases) {
        m_mgr.GetCatalogue().m_vecCommands[0].m_strContent = std::string("cat ") + c.szFile;
        WriteTestFile("S1.txt", "left over from the last run");
        m_view = RecordingCheckView();
        Start();
        // Step 0 of a re-check removed the old output file and reset the readings before running.
        EXPECT_FALSE(std::filesystem::exists("S1.txt"));
        EXPECT_EQ("results checking|checking|checking", m_view.calls[1]);
        EXPECT_EQ("", g_DetailInfo.strReportText);
        ASSERT_TRUE(RunToEnd());
        EXPECT_EQ((std::vector<int32_t>{c.nIndex}), m_view.verdicts) << c.szFile;
        EXPECT_EQ(c.szQuality, m_view.texts[0]) << c.szFile;
        EXPECT_EQ((std::vector<std::string>{"0/1 1", "0/0 2"}), m_view.ProgressLines());
        // One run's output only.
        EXPECT_EQ(1u, Count("Ping statistics"));
    }
    EXPECT_EQ(3, m_host.nFlashes);
}

TEST_F(OrderedRun, AnEmptyCatalogueTakesTheFatalPath) {
    m_log.ExpectError("查找命令时发生错误，没有找到相应命令，当前命令：0");
    Start();
    EXPECT_EQ(1u, m_boxes.Count());
    EXPECT_EQ(1, m_host.nQuitRequests);
    EXPECT_EQ(INetChk_RunHost::kAppIdle, m_host.nAppState);
}

TEST_F(OrderedRun, RealPingOfTheLoopback) {
    if (!std::filesystem::exists("/usr/bin/ping") && !std::filesystem::exists("/bin/ping"))
        GTEST_SKIP() << "iputils-ping is not installed (tools/install-deps.sh installs it)";
    AddOrdered(0, "ping -c 2 -i 0.2 127.0.0.1", "loopback");
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_NE(std::string::npos, g_DetailInfo.strReportText.find("2 packets transmitted"));
    EXPECT_EQ(0, m_mgr.GetSlotLoss(0));
    EXPECT_GE(m_mgr.GetSlotLag(0), 0);
    EXPECT_LE(m_mgr.GetSlotLag(0), 5);
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);
    EXPECT_NE(std::string::npos, ResultFile().find("网络延迟: 低 "));
}

}  // namespace
