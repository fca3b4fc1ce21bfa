// The three output readers: what reaches the report text and the slot figures, and a failed read.
#include "netcheck/NcTest_CheckTables.h"
#include "netcheck/NcTest_PingSamples.h"
#include "netcheck/NcTest_ProcessCount.h"
#include "common/NcTest_CheckView.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class OutputReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        checktables::WriteStringTable();
        ASSERT_TRUE(m_res.LoadStringDef());
        m_mgr.Attach(&m_view, &m_host, &m_res);
        CNetChk_Catalogue& cat = m_mgr.GetCatalogue();
        cat.m_strTargetFile = "S1.txt";
        cat.m_vecCommands.resize(3);
        cat.m_mapGroupedCommands[4].resize(2);
        cat.m_mapGroupedCommands[5].resize(1);
        g_DetailInfo.strReportText = "HEAD|";
    }
    void TearDown() override {
        g_DetailInfo.strReportText.clear();
    }
    // Runs a script that prints the file's bytes in the slot and waits for its end.
    void RunPrinting(int32_t nSlot, const std::string& strBytes) {
        WriteTestFile("out.bin", strBytes);
        ASSERT_TRUE(m_mgr.RunCommand(nSlot, "cat out.bin", 1));
        ASSERT_TRUE(proccount::WaitFor([&] { return m_mgr.IsSlotDone(nSlot); }));
    }
    void ExpectReadFailureShown(uint32_t uStep) {
        EXPECT_EQ("ll-overflow", m_view.texts[0]);
        EXPECT_EQ("ll-overflow", m_view.texts[2]);
        EXPECT_EQ("", m_view.tips[1]);
        ASSERT_EQ(1u, m_view.progress.size());
        EXPECT_EQ(uStep, m_view.progress[0].uPos);
        EXPECT_EQ(5u, m_view.progress[0].uMax);  // 3 ordered + 2 groups
        EXPECT_EQ(INetChk_CheckView::kProgressStopped, m_view.progress[0].nState);
        ASSERT_EQ(1u, m_view.stepTexts.size());
        EXPECT_EQ("read-failed", m_view.stepTexts[0]);
    }

    ScopedTempDir m_dir{true};
    ScopedLogCapture m_log;
    ScopedMessageBoxRecorder m_boxes;
    CNetChk_UtilResMgr m_res;
    RecordingCheckView m_view;
    RecordingRunHost m_host;
    CNetChk_CommandMgr m_mgr;
};

TEST_F(OutputReaderTest, PingOutputIsAppendedParsedAndLogged) {
    const std::string sample = pingsamples::WindowsEnglish(25, 1, 11);
    RunPrinting(1, sample);
    ASSERT_TRUE(m_mgr.ParsePingOutput(3, 1));
    EXPECT_EQ("HEAD|" + sample, g_DetailInfo.strReportText);
    EXPECT_EQ(11, m_mgr.GetSlotLag(1));
    EXPECT_EQ(25, m_mgr.GetSlotLoss(1));
    EXPECT_EQ(-1, m_mgr.GetSlotLag(0));  // the other slot keeps its initial figures
    EXPECT_EQ(100, m_mgr.GetSlotLoss(0));
    EXPECT_TRUE(m_log.Has("[WL_MUST] [M_Logic]丢包率是25 , 延迟是11"));
    EXPECT_TRUE(m_view.calls.empty());
}

TEST_F(OutputReaderTest, OnlyTheFirst8192BytesAreAppendedAndParsed) {
    // The summary lies beyond the first read, so it is not seen.
    const std::string filler(9000, 'x');
    RunPrinting(0, filler + "\n" + pingsamples::WindowsEnglish(0, 0, 5));
    ASSERT_TRUE(m_mgr.ParsePingOutput(0, 0));
    EXPECT_EQ("HEAD|" + filler.substr(0, 8192), g_DetailInfo.strReportText);
    EXPECT_EQ(-1, m_mgr.GetSlotLag(0));
    EXPECT_EQ(100, m_mgr.GetSlotLoss(0));
}

TEST_F(OutputReaderTest, NulBytesInTheOutputReachTheReportUnchanged) {
    const std::string bytes = std::string("\0\0zero\0", 7) + pingsamples::WindowsChinese(0, 9);
    RunPrinting(0, bytes);
    ASSERT_TRUE(m_mgr.ParsePingOutput(0, 0));
    EXPECT_EQ("HEAD|" + bytes, g_DetailInfo.strReportText);
    EXPECT_EQ(9, m_mgr.GetSlotLag(0));
    EXPECT_EQ(0, m_mgr.GetSlotLoss(0));
}

TEST_F(OutputReaderTest, CopierTakesAtMost4096Bytes) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += static_cast<char>('a' + i % 26);
    RunPrinting(0, bytes);
    ASSERT_TRUE(m_mgr.CopyCommandOutput(2, 0));
    EXPECT_EQ("HEAD|" + bytes.substr(0, 4096), g_DetailInfo.strReportText);
    EXPECT_EQ(-1, m_mgr.GetSlotLag(0));  // the copier never touches the figures
}

TEST_F(OutputReaderTest, TargetFileIsReadAsTextAndDeleted) {
    WriteTestFile("S1.txt", "line one\r\nline two\r\nbare\rCR\n");
    ASSERT_TRUE(m_mgr.ReadTargetFile(4));
    EXPECT_EQ("HEAD|line one\nline two\nbare\rCR\n", g_DetailInfo.strReportText);
    EXPECT_FALSE(std::filesystem::exists("S1.txt"));
}

TEST_F(OutputReaderTest, MissingTargetFileShowsTheFailure) {
    EXPECT_FALSE(m_mgr.ReadTargetFile(4));
    m_log.ExpectError("[WL_ERROR] [M_Logic]打开批处理生成的文件失败！errcode 2");
    EXPECT_FALSE(m_log.Has("读管道失败"));
    EXPECT_EQ("HEAD|", g_DetailInfo.strReportText);
    ExpectReadFailureShown(4);
}

TEST_F(OutputReaderTest, PipeReadFailureKeepsTheFiguresAndShowsTheFailure) {
    m_mgr.SetSlotFigures(0, 33, 7);
    // Slot 0 never had a pipe.
    EXPECT_FALSE(m_mgr.ParsePingOutput(1, 0));
    m_log.ExpectError("[WL_ERROR] [M_Logic]读管道失败！errcode");
    EXPECT_EQ(33, m_mgr.GetSlotLag(0));
    EXPECT_EQ(7, m_mgr.GetSlotLoss(0));
    EXPECT_EQ("HEAD|", g_DetailInfo.strReportText);
    ExpectReadFailureShown(1);
    EXPECT_EQ(0u, m_boxes.Count());  // shown in the window, never fatal
}

}  // namespace
