// Installation, settings and call records of the crash handler; the report itself is in
// KXKernal_CrashReport.cpp.
#include "KX_Kernal/crash/KXKernal_CrashHandler.h"

#include "KX_Kernal/crash/KXKernal_CrashReport.h"
#include "KX_Kernal/crash/KXKernal_CrashState.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_CrashGuard.h"
#include "KX_Platform/KXPlatform_CrashInfo.h"
#include "KX_Platform/KXPlatform_Process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>

namespace KXKernal_Crash {

namespace {
Settings g_settings;
CallRecords g_records;
CrashCallback g_pfnCallback = nullptr;
std::mutex g_recordLock;

void CopyText(char* pTarget, const char* szSource) {
    std::snprintf(pTarget, kTextSize, "%s", szSource ? szSource : "");
}
}  // namespace

Settings& GetSettings() { return g_settings; }
CallRecords& GetCallRecords() { return g_records; }

std::vector<std::string> TakeCallRecords() {
    std::lock_guard<std::mutex> guard(g_recordLock);
    std::vector<std::string> vecOut;
    for (uint32_t i = 0; i < g_records.uCount && i < kCallRecordCount; ++i) {
        const char* pText = g_records.aText[(g_records.uFirst + i) % kCallRecordCount];
        vecOut.emplace_back(pText, strnlen(pText, kTextSize - 1));
    }
    g_records.uFirst = 0;
    g_records.uCount = 0;
    return vecOut;
}

namespace {

void RunCallbackInHandler() {
    if (g_pfnCallback) g_pfnCallback();
}

// An exception nobody caught: its text becomes the newest call record, then the abort is reported.
[[noreturn]] void OnTerminate() {
    char szText[kTextSize] = "uncaught exception";
    if (std::exception_ptr pending = std::current_exception()) {
        try {
            std::rethrow_exception(pending);
        } catch (const std::exception& e) {
            std::snprintf(szText, sizeof(szText), "uncaught exception: %s", e.what());
        } catch (...) {
        }
    }
    AddCallRecord(szText);
    std::abort();
}

}  // namespace

}  // namespace KXKernal_Crash

using namespace KXKernal_Crash;

bool InstallCrashHandler(const char* szAppName, CrashCallback pfnCallback, const char* szDumpPathFormat) {
    static bool s_bInstalled = false;
    if (s_bInstalled) return false;
    CopyText(g_settings.szAppName, szAppName);
    CopyText(g_settings.szDumpPathFormat, IsUsableDumpPathFormat(szDumpPathFormat) ? szDumpPathFormat : "%s");
    g_settings.uInstallTick = KXPlatform::GetTickCount();
    // On this system the first thread's id is the process id; the shell may name another.
    if (g_settings.uMainThreadId == 0) g_settings.uMainThreadId = KXPlatform::GetProcessId();
    g_settings.bHasCallback = pfnCallback != nullptr;
    g_pfnCallback = pfnCallback;
    CArkLogger::Instance();  // exists before the agent is made, so the agent has its own clean copy

    KXPlatform::AddCrashMirrorRegion(&g_settings, sizeof(g_settings));
    KXPlatform::AddCrashMirrorRegion(&g_records, sizeof(g_records));
    KXPlatform::AddCrashMirrorRegion(CArkLogger::MirrorPathBuffer(), CArkLogger::kMirrorPathSize);
    KXPlatform::CrashGuardHooks hooks;
    hooks.pfnInHandler = &RunCallbackInHandler;
    hooks.pfnInAgent = &RunCrashReport;
    if (!KXPlatform::InstallCrashGuard(hooks)) return false;
    std::set_terminate(&OnTerminate);
    s_bInstalled = true;
    return true;
}

void SetCrashMainThreadId(uint32_t uThreadId) { g_settings.uMainThreadId = uThreadId; }

void SetUploadUrl(const char* szUrl) { CopyText(g_settings.szUploadUrl, szUrl); }

void SetDumpTag(const char* szTag) { CopyText(g_settings.szDumpTag, szTag); }

void AddCallRecord(const char* szText) {
    std::lock_guard<std::mutex> guard(g_recordLock);
    if (g_records.uCount == kCallRecordCount) {  // full: the oldest goes
        g_records.uFirst = (g_records.uFirst + 1) % kCallRecordCount;
        --g_records.uCount;
    }
    CopyText(g_records.aText[(g_records.uFirst + g_records.uCount) % kCallRecordCount], szText);
    ++g_records.uCount;
}

bool UploadLog(const char* szName) {
    const std::string strLog = CArkLogger::Instance().GetLogFilePath();
    if (g_settings.szUploadUrl[0] == '\0' || strLog.empty() || !szName) return false;
    const std::string strUrl = std::string(g_settings.szUploadUrl) + szName + ".log";
    return KXPlatform::UploadFile(strUrl.c_str(), strLog.c_str());
}

int ReassertCrashHandler() {
    const int nPutBack = KXPlatform::ReassertCrashGuard();
    if (nPutBack > 0)
        ArkLog(WL_WARNING, M_Kernel, "%s: %d crash signal handlers had been replaced and are back",
               "ReassertCrashHandler", nPutBack);
    return nPutBack;
}
