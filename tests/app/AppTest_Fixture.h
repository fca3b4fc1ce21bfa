// Shared set-up of the shell's tests: a fresh working directory with ./log, the logger recording into
// a sink, message boxes recorded, and g_DetailInfo back to its start values.
#pragma once

#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "netcheck/NetChk_DetailInfo.h"

#include <gtest/gtest.h>

class AppFixture : public ::testing::Test {
protected:
    AppFixture() {
        WriteTestFile(m_dir / "log/.keep", "");
        CArkLogger::Instance().SetSink(0, &m_log);
        g_DetailInfo = NetChk_DetailInfo();
    }
    ~AppFixture() override {
        CArkLogger::Instance().SetSink(0, nullptr);
        g_DetailInfo = NetChk_DetailInfo();
        SetReadPackFirst(true);
    }

    // Some recorded line holds the text; on failure the lines are shown.
    ::testing::AssertionResult Logged(const std::string& strText) const {
        if (m_log.Has(strText)) return ::testing::AssertionSuccess();
        ::testing::AssertionResult r = ::testing::AssertionFailure();
        r << "no log line holds \"" << strText << "\"; lines:";
        for (const std::string& line : m_log.Lines()) r << "\n  " << line;
        return r;
    }

    ScopedTempDir m_dir{true};
    ScopedLoggerReset m_reset{"NcTest"};
    RecordingLogSink m_log;
    ScopedMessageBoxRecorder m_boxes{KXPlatform::MsgBoxAnswer::Ok};
};
