#include "common/NcTest_Logger.h"

void RecordingLogSink::Output(const char* pText, uint32_t uLength) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_lines.emplace_back(pText, uLength);
}

std::vector<std::string> RecordingLogSink::Lines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lines;
}

bool RecordingLogSink::Has(const std::string& strText) const {
    for (const std::string& line : Lines())
        if (line.find(strText) != std::string::npos) return true;
    return false;
}

void RecordingLogSink::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_lines.clear();
}

ScopedFakeLogClock::ScopedFakeLogClock(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
    Set(nYear, nMonth, nDay, nHour, nMinute, nSecond);
    CArkLogger::Instance().SetTimeSource([this] {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_now;
    });
}

ScopedFakeLogClock::~ScopedFakeLogClock() { CArkLogger::Instance().SetTimeSource(nullptr); }

void ScopedFakeLogClock::Set(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_now = KXPlatform::LocalTime();
    m_now.nYear = nYear;
    m_now.nMonth = nMonth;
    m_now.nDay = nDay;
    m_now.nHour = nHour;
    m_now.nMinute = nMinute;
    m_now.nSecond = nSecond;
}

namespace {
void ResetLogger(const char* szName, int nFileLevel, int nConsoleLevel, int nModuleConsoleLevel) {
    CArkLogger& logger = CArkLogger::Instance();
    logger.CloseLogFile();
    logger.Init(szName);
    logger.SetFileLevel(nFileLevel);
    logger.SetConsoleLevel(nConsoleLevel);
    logger.SetTimeStamp(true);
    logger.SetEnabled(true);
    logger.SetConsoleModule(-1);
    for (int m = 0; m < M_MODULE_COUNT; ++m) logger.SetModuleConsoleLevel(m, nModuleConsoleLevel);
    for (uint32_t i = 0; i < CArkLogger::kSinkCount; ++i) logger.SetSink(i, nullptr);
}
}  // namespace

ScopedLoggerReset::ScopedLoggerReset(const char* szLogName) {
    // The console stays quiet in tests: module console levels above every level.
    ResetLogger(szLogName, 0, 0, WL_LEVEL_COUNT);
}

ScopedLoggerReset::~ScopedLoggerReset() {
    CArkLogger::Instance().StopAsync();
    ResetLogger("unknown", WL_LEVEL_COUNT, 0, 0);
}
