// The command runner of the command manager: batch scripts per type, slots, the fatal path, deletions.
#include "netcheck/NcTest_ProcessCount.h"
#include "common/NcTest_CheckView.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"
#include "netcheck/NetChk_CommandMgr.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class CommandRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_mgr.Attach(&m_view, &m_host, nullptr);
        m_mgr.GetCatalogue().m_strTargetFile = "S1.txt";
    }

    std::string WaitOutput(int32_t nSlot) {
        EXPECT_TRUE(proccount::WaitFor([&] { return m_mgr.IsSlotDone(nSlot); }));
        std::string out;
        EXPECT_TRUE(m_mgr.ReadSlotOutput(nSlot, 8192, out));
        return out;
    }
    void ExpectFatal() {
        ASSERT_EQ(1u, m_boxes.Count());
        EXPECT_EQ("出现致命错误，请将联系客服！", m_boxes.Shown()[0].strText);
        EXPECT_EQ("Velmora网络检测器", m_boxes.Shown()[0].strCaption);
        EXPECT_EQ(KXPlatform::MsgBoxIcon::Error, m_boxes.Shown()[0].eIcon);
        EXPECT_EQ(1, m_host.nQuitRequests);
        EXPECT_EQ(INetChk_RunHost::kAppIdle, m_host.nAppState);
    }

    ScopedTempDir m_dir{true};
    ScopedLogCapture m_log;
    ScopedMessageBoxRecorder m_boxes;
    RecordingCheckView m_view;
    RecordingRunHost m_host;
    CNetChk_CommandMgr m_mgr;
};

TEST_F(CommandRunnerTest, ScriptOfAnOrdinaryTypeOnlyRunsTheLine) {
    for (int32_t nType : {0, 1, 3, 4, 5}) {
        ASSERT_TRUE(m_mgr.RunCommand(0, "echo 10.1.2.3 -n 4", nType));
        EXPECT_EQ("echo 10.1.2.3 -n 4\nexit\n", ReadTestFile("QVRTNchk0.sh")) << nType;
        EXPECT_EQ("10.1.2.3 -n 4\n", WaitOutput(0)) << nType;
    }
    ASSERT_TRUE(m_mgr.RunCommand(1, "echo slot one", 0));
    EXPECT_EQ("echo slot one\nexit\n", ReadTestFile("QVRTNchk1.sh"));
    EXPECT_EQ("slot one\n", WaitOutput(1));
    EXPECT_EQ(0u, m_boxes.Count());
}

TEST_F(CommandRunnerTest, TypeTwoEchoesItsLineAndRemovesTheOldOutputFile) {
    WriteTestFile("S1.txt", "output of the last run");
    ASSERT_TRUE(m_mgr.RunCommand(0, "echo 'a b' it", 2));
    EXPECT_FALSE(std::filesystem::exists("S1.txt"));
    EXPECT_TRUE(m_log.Has("删除文件" + std::filesystem::current_path().string() + "/S1.txt"));
    EXPECT_EQ("printf '%s\\n' 'echo '\\''a b'\\'' it'\necho 'a b' it\nexit\n", ReadTestFile("QVRTNchk0.sh"));
    EXPECT_EQ("echo 'a b' it\na b it\n", WaitOutput(0));
}

TEST_F(CommandRunnerTest, RunningASlotAgainEndsItsEarlierChild) {
    const size_t childrenBefore = proccount::ChildProcesses();
    ASSERT_TRUE(m_mgr.RunCommand(0, "echo early; sleep 30", 1));
    ASSERT_TRUE(proccount::WaitFor([&] { return proccount::ChildProcesses() == childrenBefore + 1; }));
    ASSERT_TRUE(m_mgr.RunCommand(0, "echo later", 1));
    // Only the new child's output: the old pipe went with the old child.
    EXPECT_EQ("later\n", WaitOutput(0));
    m_mgr.ReleaseSlotProcess(0);
    EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
}

TEST_F(CommandRunnerTest, SlotOutOfRangeTakesTheFatalPath) {
    EXPECT_FALSE(m_mgr.RunCommand(2, "echo never", 0));
    m_log.ExpectError("[WL_ERROR] [M_Logic]创建子进程时错误，索引码：2");
    ExpectFatal();
    EXPECT_FALSE(std::filesystem::exists("QVRTNchk2.sh"));
}

TEST_F(CommandRunnerTest, AnUnwritableBatchFileTakesTheFatalPath) {
    std::filesystem::create_directory("QVRTNchk0.sh");
    EXPECT_FALSE(m_mgr.RunCommand(0, "echo never", 0));
    m_log.ExpectError("[WL_ERROR] [M_Logic]创建临时批处理文件出错！！");
    ExpectFatal();
}

TEST_F(CommandRunnerTest, PipeOperationsOutsideTheSlotsOnlyLog) {
    m_mgr.InitPipe(2);
    m_mgr.ClosePipe(-1);
    m_log.ExpectError("CNetChk_CommandMgr::InitPipe 初始化管道错误 索引：2");
    m_log.ExpectError("CNetChk_CommandMgr::ClosePipe 关闭管道错误 索引：-1");
    EXPECT_EQ(0u, m_boxes.Count());
    EXPECT_EQ(0, m_host.nQuitRequests);
    // Empty slots report no child and no output.
    EXPECT_FALSE(m_mgr.IsSlotDone(0));
    std::string out;
    EXPECT_FALSE(m_mgr.ReadSlotOutput(1, 10, out));
}

TEST_F(CommandRunnerTest, DeleteLocalFileIgnoresMissingFilesAndLogsFailures) {
    m_mgr.DeleteLocalFile("absent.txt");
    EXPECT_TRUE(m_log.Lines().empty());
    WriteTestFile("present.txt", "x");
    m_mgr.DeleteLocalFile("present.txt");
    EXPECT_FALSE(std::filesystem::exists("present.txt"));
    EXPECT_EQ(1u, m_log.Lines().size());

    // Something that exists but cannot be deleted is named, then the failure is logged; the run goes on.
    std::filesystem::create_directory("adir");
    m_log.Clear();
    m_mgr.DeleteLocalFile("adir");
    EXPECT_TRUE(std::filesystem::exists("adir"));
    EXPECT_TRUE(m_log.Has("[WL_WARNING] [M_Logic]删除文件" + std::filesystem::current_path().string() + "/adir"));
    m_log.ExpectError("[WL_ERROR] [M_Logic]删除文件失败！！ 错误码 ");
    EXPECT_EQ(0u, m_boxes.Count());
}

}  // namespace
