// Many runs in a row, finished and stopped, leave no file descriptor and no child process behind.
#include "netcheck/run/NcTest_RunFixture.h"

namespace {

using RunLeaks = RunFixture;

TEST_F(RunLeaks, TwoHundredRunsLeaveDescriptorsAndChildrenUnchanged) {
    AddGrouped(4, "cat good.txt # ping", "g4a");
    AddGrouped(4, "cat common.txt # ping", "g4b");
    AddGrouped(5, "cat good.txt # ping", "g5");
    AddOrdered(1, "echo tail", "tail");
    // Warm up once so that lazily opened files (the log, locale data) are open before counting.
    Start();
    ASSERT_TRUE(RunToEnd());
    const size_t fdsBefore = proccount::OpenFileDescriptors();
    const size_t childrenBefore = proccount::ChildProcesses();

    for (int run = 0; run < 200; ++run) {
        if (run % 10 == 9) {
            // Every tenth run is stopped while a child still runs.
            m_mgr.GetCatalogue().m_mapGroupedCommands[4][1].m_strContent = "sleep 30 # ping";
            Start();
            m_mgr.UpdateRun();
            m_mgr.StopCheck();
            m_mgr.GetCatalogue().m_mapGroupedCommands[4][1].m_strContent = "cat common.txt # ping";
            continue;
        }
        Start();
        ASSERT_TRUE(RunToEnd()) << run;
    }
    EXPECT_EQ(fdsBefore, proccount::OpenFileDescriptors());
    EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
    EXPECT_EQ(0u, m_boxes.Count());
}

}  // namespace
