// The kernel logger: one process-wide CArkLogger reached through ArkLog(level, module, format, ...).
//
// Design: every call is serialised under one mutex, which also guards the single static 8 KB line
// buffer (no allocation per line). A line is "[MM/DD/YY hh:mm:ss] [LEVEL] [MODULE]text\r\n"; it goes to
// the standard output in the level's colour (when the level reaches the module's console level) and to
// the log file (when it reaches the file level), then to up to five sinks. The log file is
// "./log/NAME_MM_DD(hh_mm_ss)_PID.log", reopened at the first line of every new hour; the "log"
// directory is not created here. The level check happens before any formatting. An asynchronous mode
// hands lines to a writer thread through CKXKernal_Double; the program itself stays synchronous.
#pragma once

#include "KX_Kernal/logger/KXKernal_Double.h"
#include "KX_Platform/KXPlatform_Clock.h"

#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

enum ArkLogLevel { WL_UNKNOWN = 0, WL_VERBOSE, WL_INFO, WL_WARNING, WL_ERROR, WL_MUST, WL_LEVEL_COUNT };

enum ArkLogModule {
    M_Common = 0,
    M_Kernel,
    M_UI,
    M_Numeric,
    M_Scene,
    M_Time,
    M_Logic,
    M_Engine,
    M_Lanro,
    M_Serious,
    M_NoModule,
    M_MODULE_COUNT = M_NoModule
};

// An extra output for finished lines; the destructor comes first and Output second, as callers expect.
// A line reaches the sinks only after the log file took it, as in the system's logger: while no file
// could be opened (no ./log directory), sinks hear nothing.
class IArkLogSink {
public:
    virtual ~IArkLogSink() = default;
    virtual void Output(const char* pText, uint32_t uLength) = 0;
};

// One queued line of asynchronous mode.
struct AsyncOutputParam {
    KXPlatform::LocalTime time;
    int32_t nLevel = 0;
    int32_t nModule = 0;
    char* pLine = nullptr;  // owned, NUL-terminated
    uint32_t uLength = 0;   // without the terminator
};

class CArkLogger {
public:
    static constexpr uint32_t kLineBufferSize = 8192;
    static constexpr uint32_t kSinkCount = 5;
    static constexpr uint32_t kMaxLogNameLength = 20;

    // The singleton, created with the defaults on first use.
    static CArkLogger& Instance();

    // Sets the log name, the file level to 0 and the console level to 4.
    void Init(const char* szLogName);

    // Returns 0 when disabled or filtered, otherwise the line's length (up to and including LF) + 1.
    int Log(int nLevel, int nModule, const char* szFormat, va_list args);

    bool StartAsync();
    bool StopAsync();

    void SetFileLevel(int nLevel);
    void SetConsoleLevel(int nLevel);
    void SetTimeStamp(bool bOn);
    void SetModuleConsoleLevel(int nModule, int nLevel);
    void SetEnabled(bool bEnabled);
    void SetConsoleModule(int nModule);
    // Sinks are not owned; pass nullptr to clear a slot.
    void SetSink(uint32_t uSlot, IArkLogSink* pSink);

    // Where the local time comes from; the default reads the system clock. Tests inject their own.
    using TimeSource = std::function<KXPlatform::LocalTime()>;
    void SetTimeSource(TimeSource source);

    // The open log file's path ("" when none), e.g. for uploading it after a crash.
    std::string GetLogFilePath();
    // Closes the log file and forgets the hour of the last open, so the next line opens a new file.
    void CloseLogFile();
    // Goes on writing into an existing log file (the crash agent continues the failing process's log).
    bool ContinueLogFile(const char* szPath);

    // The open log file's path in a fixed buffer (never reallocated), so that a crash can copy it
    // without taking the lock.
    static constexpr uint32_t kMirrorPathSize = 128;
    static char* MirrorPathBuffer();

private:
    CArkLogger();
    ~CArkLogger() = delete;  // lives until the process ends, so late log lines stay safe

    void WriteLine(const KXPlatform::LocalTime& time, int nLevel, int nModule, const char* pLine, uint32_t uLength);
    void RollLogFile(const KXPlatform::LocalTime& time);
    void WriterThreadMain();

    // Read before the lock by the quick filter, hence atomic.
    std::atomic<int> m_nFileLevel{WL_LEVEL_COUNT};
    std::atomic<int> m_nConsoleLevel{0};
    bool m_bTimeStamp = true;
    int m_aModuleConsoleLevel[M_MODULE_COUNT] = {};
    FILE* m_pLogFile = nullptr;
    std::string m_strLogName = "unknown";
    int m_nLastOpenDay = 0;
    int m_nLastOpenHour = -1;
    std::atomic<bool> m_bEnabled{true};
    int m_nConsoleModule = -1;
    IArkLogSink* m_apSinks[kSinkCount] = {};
    bool m_bAsync = false;
    uint32_t m_uQueueLimit = 1000;
    std::unique_ptr<boost::thread> m_pWriterThread;
    CKXKernal_Double<AsyncOutputParam*> m_queue;
    boost::mutex m_lock;

    TimeSource m_timeSource;
    std::string m_strLogFilePath;
    char m_szLine[kLineBufferSize];
};

// Logs through the singleton; see CArkLogger::Log.
int ArkLog(int nLevel, int nModule, const char* szFormat, ...) __attribute__((format(printf, 3, 4)));
