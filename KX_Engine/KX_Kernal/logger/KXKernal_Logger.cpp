// The kernel logger.
#include "KX_Kernal/logger/KXKernal_Logger.h"

#include "KX_Kernal/KXKernal_Assert.h"
#include "KX_Platform/KXPlatform_Console.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_MessageBox.h"
#include "KX_Platform/KXPlatform_Process.h"

#include <cstring>
#include <mutex>

namespace {

const char* const kLevelNames[WL_LEVEL_COUNT] = {"WL_UNKNOWN", "WL_VERBOSE", "WL_INFO",
                                                 "WL_WARNING", "WL_ERROR",   "WL_MUST"};
// Windows console attributes: light cyan, light green, grey, yellow, light red, light magenta.
const uint16_t kLevelColours[WL_LEVEL_COUNT] = {0x0B, 0x0A, 0x07, 0x0E, 0x0C, 0x0D};
const char* const kModuleNames[M_MODULE_COUNT] = {"M_Common", "M_Kernel", "M_UI",  "M_Numeric", "M_Scene",
                                                  "M_Time",   "M_Logic",  "M_Engine", "Lanro",  "严重"};

// The line is cut so that its text ends this many bytes before the end of the buffer.
constexpr uint32_t kCutMargin = 4;

std::once_flag g_creationOnce;
CArkLogger* g_pLogger = nullptr;

}  // namespace

CArkLogger& CArkLogger::Instance() {
    std::call_once(g_creationOnce, [] { g_pLogger = new CArkLogger(); });
    return *g_pLogger;
}

CArkLogger::CArkLogger() : m_timeSource(&KXPlatform::GetLocalTime) { m_szLine[0] = '\0'; }

void CArkLogger::Init(const char* szLogName) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_strLogName = szLogName ? szLogName : "";
    m_nFileLevel = 0;
    m_nConsoleLevel = 4;
}

int CArkLogger::Log(int nLevel, int nModule, const char* szFormat, va_list args) {
    if (!m_bEnabled) return 0;
    if (nModule < 0 || nModule >= M_MODULE_COUNT || nLevel < 0 || nLevel >= WL_LEVEL_COUNT) return 0;
    if (nLevel < m_nFileLevel && nLevel < m_nConsoleLevel) return 0;

    boost::lock_guard<boost::mutex> guard(m_lock);
    const KXPlatform::LocalTime now = m_timeSource();

    int nPos = 0;
    if (m_bTimeStamp) {
        nPos = std::snprintf(m_szLine, kLineBufferSize, "[%02d/%02d/%02d %02d:%02d:%02d]", now.nMonth, now.nDay,
                             (now.nYear - 2000) % 100, now.nHour, now.nMinute, now.nSecond);
    }
    nPos += std::snprintf(m_szLine + nPos, kLineBufferSize - nPos, " [%s] [%s]", kLevelNames[nLevel],
                          kModuleNames[nModule]);
    const uint32_t uRoom = kLineBufferSize - static_cast<uint32_t>(nPos);
    const int nText = std::vsnprintf(m_szLine + nPos, uRoom, szFormat ? szFormat : "", args);
    // CR, LF and NUL must fit behind the text.
    if (nText < 0 || static_cast<uint32_t>(nText) + 3 > uRoom) {
        nPos = static_cast<int>(kLineBufferSize - kCutMargin);
    } else {
        nPos += nText;
    }
    m_szLine[nPos++] = '\r';
    m_szLine[nPos++] = '\n';
    m_szLine[nPos] = '\0';
    const uint32_t uLength = static_cast<uint32_t>(nPos);

    if (m_bAsync) {
        if (m_queue.PendingCount() < m_uQueueLimit) {
            AsyncOutputParam* pParam = new AsyncOutputParam;
            pParam->time = now;
            pParam->nLevel = nLevel;
            pParam->nModule = nModule;
            pParam->pLine = new char[uLength + 1];
            std::memcpy(pParam->pLine, m_szLine, uLength + 1);
            pParam->uLength = uLength;
            m_queue.Push(pParam);
        }
    } else {
        WriteLine(now, nLevel, nModule, m_szLine, uLength);
    }
    return static_cast<int>(uLength) + 1;
}

void CArkLogger::WriteLine(const KXPlatform::LocalTime& time, int nLevel, int nModule, const char* pLine,
                           uint32_t uLength) {
    if (nLevel >= m_aModuleConsoleLevel[nModule] && (m_nConsoleModule == -1 || m_nConsoleModule == nModule)) {
        KXPlatform::WriteConsoleLine(pLine, uLength, kLevelColours[nLevel]);
    }
    if (nLevel >= m_nFileLevel) {
        RollLogFile(time);
        if (m_pLogFile) {
            std::fwrite(pLine, 1, uLength, m_pLogFile);
            std::fflush(m_pLogFile);
            for (IArkLogSink* pSink : m_apSinks) {
                if (pSink) pSink->Output(pLine, uLength);
            }
        }
    }
}

void CArkLogger::RollLogFile(const KXPlatform::LocalTime& time) {
    if (m_nFileLevel >= WL_LEVEL_COUNT || time.nHour == m_nLastOpenHour || m_strLogName.size() > kMaxLogNameLength) {
        return;
    }
    // Recorded before the open, so that a failure is retried only when the hour changes.
    m_nLastOpenDay = time.nDay;
    m_nLastOpenHour = time.nHour;

    char szPath[128];
    std::snprintf(szPath, sizeof(szPath), "./log/%s_%02d_%02d(%02d_%02d_%02d)_%u.log", m_strLogName.c_str(),
                  time.nMonth, time.nDay, time.nHour, time.nMinute, time.nSecond, KXPlatform::GetProcessId());
    if (m_pLogFile) {
        std::fclose(m_pLogFile);
        m_pLogFile = nullptr;
        m_strLogFilePath.clear();
    }
    // Binary: each line carries its own CR LF, which a text-mode stream would turn into CR CR LF.
    m_pLogFile = KXPlatform::OpenFileStream(szPath, "a+b");
    if (!m_pLogFile) {
        char szMessage[192];
        std::snprintf(szMessage, sizeof(szMessage), "日志模块打开文件失败 %s", szPath);
        KXPlatform::ShowMessageBox(szMessage, "提示", KXPlatform::MsgBoxButtons::Ok);
        return;
    }
    m_strLogFilePath = szPath;
    std::snprintf(MirrorPathBuffer(), kMirrorPathSize, "%s", szPath);
}

bool CArkLogger::StartAsync() {
    boost::lock_guard<boost::mutex> guard(m_lock);
    if (m_bAsync) {
        KXKernal_MessageBox("Log异步输出线程不可重复启动。");
        return false;
    }
    m_queue.ResetStop();
    m_pWriterThread.reset(new boost::thread([this] { WriterThreadMain(); }));
    m_bAsync = true;
    return true;
}

bool CArkLogger::StopAsync() {
    std::unique_ptr<boost::thread> pThread;
    {
        boost::lock_guard<boost::mutex> guard(m_lock);
        if (!m_bAsync) return false;
        m_queue.SetStop();
        m_bAsync = false;
        pThread = std::move(m_pWriterThread);
    }
    // Joined outside the lock: the writer never takes it, and no thread may outlive its logger mode.
    if (pThread) pThread->join();
    return true;
}

void CArkLogger::WriterThreadMain() {
    for (;;) {
        const bool bStop = m_queue.WaitDataOrStop() == CKXKernal_Double<AsyncOutputParam*>::WAIT_STOP;
        // On stop, the lines queued before it are still written, so nothing logged is lost.
        for (int nPass = 0; nPass < 2; ++nPass) {
            AsyncOutputParam** ppParams = nullptr;
            const uint32_t uCount = m_queue.Swap(ppParams);
            for (uint32_t i = 0; i < uCount; ++i) {
                AsyncOutputParam* pParam = ppParams[i];
                WriteLine(pParam->time, pParam->nLevel, pParam->nModule, pParam->pLine, pParam->uLength);
                delete[] pParam->pLine;
                delete pParam;
                ppParams[i] = nullptr;
            }
            if (!bStop) break;
        }
        if (bStop) return;
    }
}

void CArkLogger::SetFileLevel(int nLevel) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_nFileLevel = nLevel;
}

void CArkLogger::SetConsoleLevel(int nLevel) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_nConsoleLevel = nLevel;
}

void CArkLogger::SetTimeStamp(bool bOn) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_bTimeStamp = bOn;
}

void CArkLogger::SetModuleConsoleLevel(int nModule, int nLevel) {
    if (nModule < 0 || nModule >= M_MODULE_COUNT) return;
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_aModuleConsoleLevel[nModule] = nLevel;
}

void CArkLogger::SetEnabled(bool bEnabled) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_bEnabled = bEnabled;
}

void CArkLogger::SetConsoleModule(int nModule) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_nConsoleModule = nModule;
}

void CArkLogger::SetSink(uint32_t uSlot, IArkLogSink* pSink) {
    if (uSlot >= kSinkCount) return;
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_apSinks[uSlot] = pSink;
}

void CArkLogger::SetTimeSource(TimeSource source) {
    boost::lock_guard<boost::mutex> guard(m_lock);
    m_timeSource = source ? std::move(source) : TimeSource(&KXPlatform::GetLocalTime);
}

std::string CArkLogger::GetLogFilePath() {
    boost::lock_guard<boost::mutex> guard(m_lock);
    return m_strLogFilePath;
}

void CArkLogger::CloseLogFile() {
    boost::lock_guard<boost::mutex> guard(m_lock);
    if (m_pLogFile) std::fclose(m_pLogFile);
    m_pLogFile = nullptr;
    m_strLogFilePath.clear();
    MirrorPathBuffer()[0] = '\0';
    m_nLastOpenDay = 0;
    m_nLastOpenHour = -1;
}

bool CArkLogger::ContinueLogFile(const char* szPath) {
    if (!szPath || !*szPath) return false;
    std::FILE* pFile = KXPlatform::OpenFileStream(szPath, "a+b");  // binary, as Init opens it: lines end in CR LF already
    if (!pFile) return false;
    const KXPlatform::LocalTime now = m_timeSource ? m_timeSource() : KXPlatform::GetLocalTime();
    boost::lock_guard<boost::mutex> guard(m_lock);
    if (m_pLogFile) std::fclose(m_pLogFile);
    m_pLogFile = pFile;
    m_strLogFilePath = szPath;
    m_nLastOpenDay = now.nDay;
    m_nLastOpenHour = now.nHour;
    m_nFileLevel = 0;
    return true;
}

char* CArkLogger::MirrorPathBuffer() {
    static char s_szPath[kMirrorPathSize];
    return s_szPath;
}

int ArkLog(int nLevel, int nModule, const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    const int n = CArkLogger::Instance().Log(nLevel, nModule, szFormat, args);
    va_end(args);
    return n;
}
