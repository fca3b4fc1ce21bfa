// What the upload tests share: a temporary working directory with the string table and IP.csv, the
// log recorded, g_DetailInfo pointed at a loopback server and restored afterwards, and a view that
// records what the result handler does.
#pragma once

#include "common/NcTest_Logger.h"
#include "common/NcTest_TempDir.h"

#include "netcheck/NetChk_DetailInfo.h"
#include "netcheck/report/NetChk_UploadClient.h"
#include "netcheck/ui/NetChk_UtilResMgr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class RecordingUploadView : public INetChkUploadView {
public:
    bool IsReportWndVisible() override { return bVisible; }
    void ResumeEditing() override { vecCalls.push_back("resume"); }
    void HideReportWnd() override {
        vecCalls.push_back("hide");
        bVisible = false;
    }
    void ShowMessage(const std::string& strText) override { vecMessages.push_back(strText); }

    bool bVisible = true;
    std::vector<std::string> vecCalls;
    std::vector<std::string> vecMessages;
};

class UploadTest : public ::testing::Test {
protected:
    UploadTest();
    ~UploadTest() override;

    // Points the upload at 127.0.0.1:uPort with a known form.
    void Target(uint16_t uPort);
    // Starts an upload and polls it (clock standing at 0, so never timed out) until it ends; false when
    // it has not ended after 20 s.
    bool RunUpload(CNetChk_UploadClient& client);

    ScopedTempDir m_Dir{true};
    ScopedLoggerReset m_LoggerReset;
    RecordingLogSink m_Sink;
    CNetChk_UtilResMgr m_ResMgr;
    RecordingUploadView m_View;
    NetChk_DetailInfo m_SavedInfo;
};
