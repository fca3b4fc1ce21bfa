// Logger fakes: a sink that records finished lines, and a clock the test sets.
#pragma once

#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

class RecordingLogSink : public IArkLogSink {
public:
    void Output(const char* pText, uint32_t uLength) override;
    std::vector<std::string> Lines() const;
    // Some line contains the text; on failure the message lists every recorded line.
    testing::AssertionResult Has(const std::string& strText) const;
    void Clear();

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
};

// Installs itself as the logger's time source; restores the system clock on destruction.
class ScopedFakeLogClock {
public:
    ScopedFakeLogClock(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond);
    ~ScopedFakeLogClock();
    void Set(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond);

private:
    std::mutex m_lock;
    KXPlatform::LocalTime m_now;
};

// Puts the logger in a known state (file level 0 in a fresh ./log, console off, time stamps on, all
// sinks cleared) and back to its defaults on destruction.
class ScopedLoggerReset {
public:
    explicit ScopedLoggerReset(const char* szLogName = "NcTest");
    ~ScopedLoggerReset();
};

// The log of one test, for fixtures and single tests alike: resets the logger (ScopedLoggerReset),
// makes ./log in the current directory and opens the log file there at once (the logger hands lines to
// sinks only once its file is open, and a test may change directory later), and records every line.
// When it goes, the test fails for every WL_ERROR line it was not told to expect, and for every expected
// one that never came, listing what was written.
class ScopedLogCapture {
public:
    explicit ScopedLogCapture(const char* szLogName = "NcTest");
    ~ScopedLogCapture();
    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

    // A WL_ERROR line containing the text is part of what the test checks: it must come.
    void ExpectError(const std::string& strText);
    // A WL_ERROR line containing the text may come or not (a fixture's scenarios that some tests reach).
    void AllowError(const std::string& strText);
    // Has and Lines see the lines since the last Clear.
    testing::AssertionResult Has(const std::string& strText) const;
    std::vector<std::string> Lines() const;
    // Starts a fresh view for Has and Lines; the errors are still checked over the whole test.
    void Clear() { m_uClearedAt = m_sink.Lines().size(); }

private:
    ScopedLoggerReset m_reset;
    RecordingLogSink m_sink;
    std::vector<std::string> m_vecExpected;
    std::vector<std::string> m_vecAllowed;
    size_t m_uClearedAt = 0;
};
