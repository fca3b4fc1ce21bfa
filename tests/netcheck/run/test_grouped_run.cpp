// Grouped runs end to end: which group step 1 runs, the outcome code, step counts, stops and lookups.
#include "netcheck/run/NcTest_RunFixture.h"

namespace {

// A command that waits until the test creates "go", consumes it and prints a recorded ping.
std::string AfterGo(const std::string& strFile) {
    return "while [ ! -f go ]; do sleep 0.005; done; rm go; cat " + strFile + " # ping";
}

using GroupedRun = RunFixture;

TEST_F(GroupedRun, BadPingFinishingLastRunsGroupFive) {
    AddGrouped(4, AfterGo("bad.txt"), "g4 slow bad");
    AddGrouped(4, "cat good.txt # ping", "g4 fast good");
    AddGrouped(5, "cat good.txt # ping", "g5 good");
    AddGrouped(5, "cat common.txt # ping", "g5 common");
    AddOrdered(1, "echo one", "o1");
    AddOrdered(1, "echo two", "o2");
    AddOrdered(1, "echo three", "o3");
    Start();
    size_t goodSeen = 0;
    ASSERT_TRUE(RunToEnd([&] {
        // Let the slow one finish only after the fast one has been handled.
        if (Count("10.0.0.1") > goodSeen) {
            goodSeen = Count("10.0.0.1");
            WriteTestFile("go", "");
        }
    }));
    // Two groups and three ordered commands make five steps.
    EXPECT_EQ((std::vector<std::string>{"0/5 1", "1/5 1", "2/5 1", "3/5 1", "4/5 1", "4/4 2"}), m_view.ProgressLines());
    EXPECT_EQ((std::vector<std::string>{"g4 fast good", "g5 common", "o1", "o2", "o3", "finished"}), m_view.stepTexts);
    EXPECT_EQ(1u, Count("10.0.0.3"));  // group 4's bad ping ran once
    EXPECT_EQ(1u, Count("10.0.0.2"));  // group 5 ran
    EXPECT_EQ((std::vector<int32_t>{2}), m_view.verdicts);  // group 5 without a bad slot
    // The final verdict judges the chosen group-4 ping (the bad one), not group 5.
    EXPECT_EQ(0u, g_DetailInfo.strReportText.find("网络质量: 较差\n网络延迟: 高 大于500毫秒\n丢包率: 高 100%\n\n"));
    EXPECT_TRUE(m_log.Has("开始执行批处理命令，目前是第 1 条，并行命令，命令内容是cat common.txt # ping"));
}

TEST_F(GroupedRun, BadSlotInGroupFiveGivesOutcomeThree) {
    AddGrouped(4, "cat bad.txt # ping", "g4 bad");
    AddGrouped(5, "cat good.txt # ping", "g5 good");
    AddGrouped(5, "cat bad.txt # ping", "g5 bad");
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ((std::vector<std::string>{"0/2 1", "1/2 1", "1/1 2"}), m_view.ProgressLines());
    EXPECT_EQ((std::vector<int32_t>{3}), m_view.verdicts);
    EXPECT_EQ(2u, Count("10.0.0.3"));
}

TEST_F(GroupedRun, BadPingFinishingFirstRerunsGroupFour) {
    AddGrouped(4, "cat bad.txt # ping", "g4 fast bad");
    AddGrouped(4, AfterGo("good.txt"), "g4 slow good");
    AddGrouped(5, "echo GROUP5 ping", "g5");
    Start();
    size_t badSeen = 0;
    ASSERT_TRUE(RunToEnd([&] {
        if (Count("10.0.0.3") > badSeen) {
            badSeen = Count("10.0.0.3");
            WriteTestFile("go", "");
        }
    }));
    EXPECT_EQ(0u, Count("GROUP5"));
    EXPECT_EQ(2u, Count("10.0.0.3"));
    EXPECT_EQ(2u, Count("10.0.0.1"));
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);  // the re-run's last ping was good
    EXPECT_EQ("nq-good", m_view.texts[0]);
}

TEST_F(GroupedRun, TwoSlotsEndingInOneFrameAreHandledLowestFirst) {
    // Slot 0 grades bad (the first time only), slot 1 good; both have ended before the frame that
    // notices them.
    AddGrouped(4, "if [ -f once ]; then cat good.txt; else touch once; cat bad.txt; fi # ping", "g4 bad once");
    AddGrouped(4, "cat good.txt # ping", "g4 good");
    AddGrouped(5, "echo GROUP5 ping", "g5");
    const size_t endedBefore = proccount::EndedChildProcesses();
    Start();
    ASSERT_TRUE(proccount::WaitFor([&] { return proccount::EndedChildProcesses() == endedBefore + 2; }));
    m_mgr.UpdateRun();
    // One slot per frame, the lower one first.
    EXPECT_EQ(PingSummary("10.0.0.3", 100, -1), g_DetailInfo.strReportText);
    ASSERT_TRUE(RunToEnd());
    // Slot 1's good ping was the last one handled, so group 4 runs again, good in both slots.
    EXPECT_EQ(0u, Count("GROUP5"));
    EXPECT_EQ(3u, Count("10.0.0.1"));
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);
    EXPECT_EQ(0u, g_DetailInfo.strReportText.find("网络质量: 良好\n"));
}

TEST_F(GroupedRun, ARecheckDeletesTheOutputFileOfThePreviousRun) {
    WriteTestFile("S1.txt", "STALE from the last run\n");
    AddGrouped(4, "cat good.txt # ping", "g4");
    AddGrouped(5, "cat good.txt # ping", "g5");
    AddOrdered(3, "echo fresh >> S1.txt", "appends to the output file");
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(1u, Count("fresh"));
    EXPECT_EQ(0u, Count("STALE"));
    EXPECT_FALSE(std::filesystem::exists("S1.txt"));  // read and deleted
}

TEST_F(GroupedRun, BadLastPingOfTheRerunGivesOutcomeOne) {
    // Good the first time, bad from then on.
    AddGrouped(4, "if [ -f once ]; then cat bad.txt; else touch once; cat good.txt; fi # ping", "g4");
    AddGrouped(5, "echo GROUP5 ping", "g5");
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(0u, Count("GROUP5"));
    EXPECT_EQ((std::vector<int32_t>{1}), m_view.verdicts);
    EXPECT_EQ("nq-bad", m_view.texts[0]);
}

TEST_F(GroupedRun, OnlyTheFirstTwoCommandsOfAGroupRun) {
    AddGrouped(4, "cat good.txt # ping", "a");
    AddGrouped(4, "cat good.txt # ping", "b");
    AddGrouped(4, "touch third_ran # ping", "c");
    AddGrouped(5, "cat good.txt # ping", "g5");
    Start();
    EXPECT_EQ(2, m_mgr.GetRunning());
    ASSERT_TRUE(RunToEnd());
    EXPECT_FALSE(std::filesystem::exists("third_ran"));
    EXPECT_EQ(4u, Count("10.0.0.1"));
    EXPECT_EQ((std::vector<int32_t>{0}), m_view.verdicts);
}

TEST_F(GroupedRun, GroupCommandsWithoutPingAreCopiedAndNotGraded) {
    AddGrouped(4, "echo route table", "routes");
    AddGrouped(4, "cat bad.txt # ping", "ping");
    AddGrouped(5, "cat good.txt # ping", "g5");
    Start();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(1u, Count("route table"));
    EXPECT_EQ(1u, Count("10.0.0.1"));  // the bad ping made step 1 run group 5
}

TEST_F(GroupedRun, StoppingEndsTheChildrenAndKeepsTheReport) {
    const size_t childrenBefore = proccount::ChildProcesses();
    AddGrouped(4, "cat good.txt # ping", "fast");
    AddGrouped(4, "sleep 30 # ping", "slow");
    AddGrouped(5, "cat good.txt # ping", "g5");
    Start();
    ASSERT_TRUE(proccount::WaitFor([&] {
        m_mgr.UpdateRun();
        return Count("10.0.0.1") == 1;
    }));
    EXPECT_EQ(childrenBefore + 1, proccount::ChildProcesses());
    m_mgr.StopCheck();
    EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
    EXPECT_TRUE(m_log.Has("[WL_WARNING] [M_Logic]子进程居然还在，应该是玩家按了停止按钮手动终止的！子进程:1,结果:258"));
    EXPECT_FALSE(m_log.Has("子进程:0"));
    EXPECT_FALSE(std::filesystem::exists("QVRTNchk0.sh"));
    EXPECT_FALSE(std::filesystem::exists("QVRTNchk1.sh"));
    EXPECT_EQ(INetChk_RunHost::kAppIdle, m_host.nAppState);
    EXPECT_EQ(0, m_mgr.GetRunning());
    EXPECT_EQ(PingSummary("10.0.0.1", 0, 11), g_DetailInfo.strReportText);
    EXPECT_TRUE(m_view.verdicts.empty());
    // Polling after the stop finds nothing to do.
    m_mgr.UpdateRun();
    EXPECT_EQ(INetChk_RunHost::kAppIdle, m_host.nAppState);
}

TEST_F(GroupedRun, MissingGroupFiveIsFatalAtStepOne) {
    AddGrouped(4, "cat bad.txt # ping", "bad");
    AddOrdered(1, "echo never", "x");  // two steps: step 1 needs group 5
    Start();
    ASSERT_TRUE(RunToEnd());
    m_log.ExpectError("[WL_ERROR] [M_Logic]查找命令时发生错误，没有找到相应命令，当前命令：1，命令类型：5");
    ASSERT_EQ(1u, m_boxes.Count());
    EXPECT_EQ("出现致命错误，请将联系客服！", m_boxes.Texts()[0]);
    EXPECT_EQ(1, m_host.nQuitRequests);
    EXPECT_TRUE(m_view.verdicts.empty());
}

}  // namespace
