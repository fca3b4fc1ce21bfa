// Logger fakes: a sink that records finished lines, and a clock the test sets.
#pragma once

#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <mutex>
#include <string>
#include <vector>

class RecordingLogSink : public IArkLogSink {
public:
    void Output(const char* pText, uint32_t uLength) override;
    std::vector<std::string> Lines() const;
    bool Has(const std::string& strText) const;  // some line contains the text
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
