// A check run in a temporary data directory with recorded ping outputs, a recording window and shell.
#pragma once

#include "netcheck/NcTest_CheckTables.h"
#include "netcheck/NcTest_ProcessCount.h"
#include "common/NcTest_CheckView.h"
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"
#include "KX_Platform/KXPlatform_GraphicsAdapter.h"
#include "netcheck/NetChk_CommandMgr.h"
#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

// A Windows English ping summary of one address; a negative average means every reply was lost.
inline std::string PingSummary(const std::string& strIp, int nLoss, int nAverage) {
    std::string out = "\r\nPing statistics for " + strIp + ":\r\n    Packets: Sent = 4, Received = 4, Lost = 0 (" +
                      std::to_string(nLoss) + "% loss),\r\n";
    if (nAverage >= 0)
        out += "Approximate round trip times in milli-seconds:\r\n    Minimum = 1ms, Maximum = 9ms, Average = " +
               std::to_string(nAverage) + "ms\r\n";
    return out;
}

class RunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // The first result file of a run makes the folder, and says so at error level.
        m_log.AllowError("，要自己创建一个!");
        checktables::WriteStringTable();
        checktables::WriteBounds("80/150/500", "2/10/50");
        ASSERT_TRUE(m_res.LoadStringDef());
        ASSERT_TRUE(m_res.LoadNetJudged());
        // Bounds 80/150/500 ms and 2/10/50 %: good, common (loss 5) and bad (nothing answered).
        WriteTestFile("good.txt", PingSummary("10.0.0.1", 0, 11));
        WriteTestFile("common.txt", PingSummary("10.0.0.2", 5, 20));
        WriteTestFile("bad.txt", PingSummary("10.0.0.3", 100, -1));
        m_mgr.Attach(&m_view, &m_host, &m_res);
        m_mgr.SetExeDir(m_dir / "exe");
        std::filesystem::create_directory(m_dir / "exe");
        m_mgr.GetCatalogue().m_strTargetFile = "S1.txt";
        KXPlatform::SetGraphicsAdapterName("TestGPU");
        g_DetailInfo.strReportText.clear();
    }
    void TearDown() override {
        KXPlatform::SetGraphicsAdapterName("");
        g_DetailInfo.strReportText.clear();
    }

    void AddOrdered(int32_t nType, const std::string& strLine, const std::string& strDesc) {
        m_mgr.GetCatalogue().m_vecCommands.push_back(NetChkCommand{nType, strLine, strDesc});
    }
    void AddGrouped(int32_t nType, const std::string& strLine, const std::string& strDesc) {
        m_mgr.GetCatalogue().m_mapGroupedCommands[nType].push_back(NetChkCommand{nType, strLine, strDesc});
    }

    // As the shell's StartCheck(0): the mode comes from the catalogue.
    void Start() {
        const bool bGrouped = m_mgr.HasCommandGroups();
        m_mgr.SetGrouped(bGrouped);
        m_mgr.StartStep(0, bGrouped);
    }
    // Frames until the run leaves the checking state; onFrame runs after every poll.
    bool RunToEnd(const std::function<void()>& onFrame = {}) {
        return proccount::WaitFor(
            [&] {
                if (m_host.nAppState != INetChk_RunHost::kAppChecking) return true;
                m_mgr.UpdateRun();
                if (onFrame) onFrame();
                return m_host.nAppState != INetChk_RunHost::kAppChecking;
            },
            20000);
    }
    size_t Count(const std::string& strWhat) const {
        size_t n = 0;
        for (size_t p = g_DetailInfo.strReportText.find(strWhat); p != std::string::npos;
             p = g_DetailInfo.strReportText.find(strWhat, p + 1))
            ++n;
        return n;
    }
    std::string ResultFile() const { return ReadTestFile(m_dir / "exe/checklist/S1.txt"); }

    ScopedTempDir m_dir{true};
    ScopedLogCapture m_log;
    ScopedMessageBoxRecorder m_boxes;
    CNetChk_UtilResMgr m_res;
    RecordingCheckView m_view;
    RecordingRunHost m_host;
    CNetChk_CommandMgr m_mgr;
};
