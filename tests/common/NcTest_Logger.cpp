#include "common/NcTest_Logger.h"

#include <algorithm>
#include <filesystem>

void RecordingLogSink::Output(const char* pText, uint32_t uLength) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_lines.emplace_back(pText, uLength);
}

std::vector<std::string> RecordingLogSink::Lines() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lines;
}

namespace {
std::string Listed(const std::vector<std::string>& vecLines) {
    if (vecLines.empty()) return " (nothing was logged)";
    std::string str = ", the log holds:";
    for (const std::string& line : vecLines) {
        str += "\n  ";
        str.append(line, 0, line.find_last_not_of("\r\n") + 1);
    }
    return str;
}
}  // namespace

namespace {
testing::AssertionResult Find(const std::vector<std::string>& vecLines, const std::string& strText) {
    for (const std::string& line : vecLines)
        if (line.find(strText) != std::string::npos) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no log line contains \"" << strText << "\"" << Listed(vecLines);
}
}  // namespace

testing::AssertionResult RecordingLogSink::Has(const std::string& strText) const { return Find(Lines(), strText); }

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

ScopedLogCapture::ScopedLogCapture(const char* szLogName) : m_reset(szLogName) {
    std::error_code ec;
    std::filesystem::create_directory("log", ec);
    // One line opens the file here and now; it is not recorded.
    ArkLog(WL_VERBOSE, M_Common, "%s", "log capture started");
    CArkLogger::Instance().SetSink(0, &m_sink);
}

std::vector<std::string> ScopedLogCapture::Lines() const {
    std::vector<std::string> vecLines = m_sink.Lines();
    vecLines.erase(vecLines.begin(), vecLines.begin() + static_cast<std::ptrdiff_t>(std::min(m_uClearedAt, vecLines.size())));
    return vecLines;
}

testing::AssertionResult ScopedLogCapture::Has(const std::string& strText) const { return Find(Lines(), strText); }

void ScopedLogCapture::ExpectError(const std::string& strText) { m_vecExpected.push_back(strText); }

void ScopedLogCapture::AllowError(const std::string& strText) { m_vecAllowed.push_back(strText); }

ScopedLogCapture::~ScopedLogCapture() {
    CArkLogger& logger = CArkLogger::Instance();
    logger.StopAsync();  // queued lines first
    logger.SetSink(0, nullptr);
    std::vector<std::string> vecLines = m_sink.Lines();
    for (const std::string& line : vecLines) {
        if (line.find("[WL_ERROR]") == std::string::npos) continue;
        bool bExpected = false;
        for (const std::string& str : m_vecExpected) bExpected = bExpected || line.find(str) != std::string::npos;
        for (const std::string& str : m_vecAllowed) bExpected = bExpected || line.find(str) != std::string::npos;
        if (!bExpected) ADD_FAILURE() << "unexpected error logged: " << line;
    }
    for (const std::string& str : m_vecExpected) {
        if (!m_sink.Has(str)) ADD_FAILURE() << "expected error not logged: " << m_sink.Has(str).message();
    }
}
