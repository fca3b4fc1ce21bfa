// The crash report, step by step as the crash agent runs it for one failing thread.
#include "KX_Kernal/crash/KXKernal_CrashReport.h"

#include "KX_Kernal/crash/KXKernal_CrashHandler.h"
#include "KX_Kernal/crash/KXKernal_CrashState.h"
#include "KX_Kernal/crash/KXKernal_DumpFile.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_CrashInfo.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_MessageBox.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace KXKernal_Crash {

std::string MakeDumpName(const KXPlatform::LocalTime& time, const char* szAppName, const char* szMachineTag,
                         const char* szVersion, const char* szCrashTag, const char* szDumpTag) {
    char szName[1400];
    std::snprintf(szName, sizeof(szName), "%d-%d-%d_%d-%d-%d_%s_x32_%s_%s_%s_%s.dmp", time.nYear, time.nMonth,
                  time.nDay, time.nHour, time.nMinute, time.nSecond, szAppName, szMachineTag, szVersion,
                  szCrashTag, szDumpTag);
    return szName;
}

bool IsUsableDumpPathFormat(const char* szFormat) {
    if (!szFormat) return false;
    int nConversions = 0;
    for (const char* p = std::strchr(szFormat, '%'); p; p = std::strchr(p + 2, '%')) {
        if (p[1] != 's') return false;
        ++nConversions;
    }
    return nConversions == 1;
}

std::string ApplyDumpPathFormat(const char* szFormat, const std::string& strName) {
    if (!IsUsableDumpPathFormat(szFormat)) return strName;
    const char* pAt = std::strstr(szFormat, "%s");
    return std::string(szFormat, pAt) + strName + (pAt + 2);
}

std::string ReadClientVersion(const std::string& strDir) {
    tinyxml2::XMLDocument document;
    if (document.LoadFile((strDir + "/update.xml").c_str()) != tinyxml2::XML_SUCCESS) return std::string();
    const tinyxml2::XMLElement* pRoot = document.RootElement();
    const char* szVersion = pRoot ? pRoot->Attribute("version") : nullptr;
    return szVersion ? szVersion : "";
}

bool IsOutOfMemory(uint64_t uTotalPhysicalKB, uint64_t uAvailablePhysicalKB, bool bHaveProcessFigures,
                   uint64_t uProcessResidentKB) {
    constexpr uint64_t kAddressableKB = 3072ull * 1024;
    constexpr uint64_t kLowKB = 200ull * 1024;
    if (!bHaveProcessFigures) return uAvailablePhysicalKB < kLowKB;
    const uint64_t uUsable = uTotalPhysicalKB < kAddressableKB ? uTotalPhysicalKB : kAddressableKB;
    return uProcessResidentKB >= uUsable || uUsable - uProcessResidentKB < kLowKB;
}

namespace {

std::string Hex(const char* szFormat, uint64_t uValue) {
    char szText[32];
    std::snprintf(szText, sizeof(szText), szFormat, static_cast<unsigned long long>(uValue));
    return szText;
}

void WriteStackReport(const KXPlatform::CrashFacts& facts, std::vector<std::string>& vecLines) {
    const std::string strStars(80, '*');
    ReportLine(vecLines, WL_MUST, M_Serious, "%s", strStars.c_str());
    ReportLine(vecLines, WL_MUST, M_Serious, "ErrorCode: %s", Hex("%08llX", uint64_t(facts.nSignal)).c_str());
    ReportLine(vecLines, WL_MUST, M_Serious, "Address: %s",
               facts.uAddress ? Hex("%08llX", facts.uAddress).c_str() : "N/A");
    ReportLine(vecLines, WL_MUST, M_Serious, "Flags: %s", Hex("%08llX", uint32_t(facts.nCode)).c_str());
    ReportLine(vecLines, WL_MUST, M_Serious, "CallStack:");
    for (const std::string& strFrame : SymboliseFrames(facts.aFrames, facts.uFrameCount))
        ReportLine(vecLines, WL_MUST, M_Serious, "%s", strFrame.c_str());
    ReportLine(vecLines, WL_MUST, M_Serious, "%s", strStars.c_str());
}

std::string DescribeModules(uint32_t uPid) {
    std::string strOut;
    for (const KXPlatform::LoadedModule& module : KXPlatform::ListProcessModules(uPid)) {
        strOut += Hex("%llx", module.uBase) + " " + (module.strBuildId.empty() ? "-" : module.strBuildId) + " " +
                  module.strPath + "\n";
    }
    return strOut;
}

// The directory part of a path ("" when it has none).
std::string DirectoryOf(const std::string& strPath) {
    const size_t uSlash = strPath.rfind('/');
    return uSlash == std::string::npos ? std::string() : strPath.substr(0, uSlash);
}

void MakeDirectories(const std::string& strDir) {
    for (size_t uAt = strDir.find('/', 1); ; uAt = strDir.find('/', uAt + 1)) {
        const std::string strPart = strDir.substr(0, uAt);
        if (!strPart.empty() && !KXPlatform::GetFileAttributes(strPart.c_str()).bExists)
            KXPlatform::MakeDirectory(strPart.c_str());
        if (uAt == std::string::npos) break;
    }
}

bool CopyFileBytes(const std::string& strFrom, const std::string& strTo) {
    std::ifstream in(strFrom, std::ios::binary);
    std::ofstream out(strTo, std::ios::binary | std::ios::trunc);
    if (!in || !out) return false;
    out << in.rdbuf();
    return static_cast<bool>(out);
}

void Tell(const char* szText) {
    KXPlatform::ShowMessageBox(szText, GetSettings().szAppName, KXPlatform::MsgBoxButtons::Ok, true);
}

// Steps 12 and 13 of a failed save: the log goes instead, and the user hears of it.
void ReportSaveFailure(const std::string& strDumpName, const std::string& strDumpPath) {
    UploadLog(strDumpName.c_str());
    char szText[1600];
    std::snprintf(szText, sizeof(szText), "保存文件失败 %s", strDumpPath.c_str());
    ArkLog(WL_MUST, M_Kernel, "%s", szText);
    Tell(szText);
}

bool Upload(const std::string& strUrl, const std::string& strPath) {
    if (GetSettings().szUploadUrl[0] == '\0' || strPath.empty()) return false;
    return KXPlatform::UploadFile(strUrl.c_str(), strPath.c_str());
}

}  // namespace

KXPlatform::CrashVerdict RunCrashReport(const KXPlatform::CrashFacts& facts, const std::string& strStack) {
    const Settings& settings = GetSettings();
    const uint32_t uPid = facts.uProcessId;
    // The agent still stands where the process started; the report belongs where the process is now.
    KXPlatform::AdoptCurrentDirOf(uPid);
    CArkLogger& logger = CArkLogger::Instance();
    logger.SetConsoleLevel(WL_ERROR);
    logger.ContinueLogFile(CArkLogger::MirrorPathBuffer());

    char szName[128];
    std::snprintf(szName, sizeof(szName), "QVRTClientCrashPID:%u", uPid);
    KXPlatform::SignalNamedWatcher(szName);

    std::vector<std::string> vecLines;
    WriteStackReport(facts, vecLines);
    ReportMemoryAndRecords(uPid, vecLines);
    const std::string strVersion = ReadClientVersion(KXPlatform::GetExecutableDir());
    ReportSurvey(uPid, vecLines);
    const bool bMainThread = facts.uThreadId == settings.uMainThreadId;
    ReportLine(vecLines, WL_WARNING, M_Kernel, bMainThread ? "Lumo：主线程宕机" : "Lumo：线程宕机");
    const KXPlatform::LocalTime now = KXPlatform::GetLocalTime();

    KXPlatform::SystemMemory system;
    KXPlatform::ProcessMemory process;
    KXPlatform::ReadSystemMemory(system);
    const bool bHaveProcess = KXPlatform::ReadProcessMemory(uPid, process);
    const bool bOutOfMemory =
        IsOutOfMemory(system.uTotalPhysicalKB, system.uAvailablePhysicalKB, bHaveProcess, process.uResidentKB);
    const char* szReason = bOutOfMemory ? "由于内存不足，导致程序崩溃" : "由于程序产成无法预知的错误，导致程序崩溃";

    const std::string strDumpName = MakeDumpName(now, settings.szAppName, settings.szMachineTag, strVersion.c_str(),
                                                 bOutOfMemory ? "OutOfMemory" : "", settings.szDumpTag);
    const std::string strDumpPath = ApplyDumpPathFormat(settings.szDumpPathFormat, strDumpName);
    if (KXPlatform::ShowMessageBox(szReason, settings.szAppName, KXPlatform::MsgBoxButtons::Ok, true) ==
        KXPlatform::MsgBoxAnswer::None)
        return KXPlatform::CrashVerdict::EndProcess;

    DumpContents dump;
    dump.facts = facts;
    for (uint32_t i = 0; i < facts.uRegisterCount; ++i)
        dump.vecRegisters.emplace_back(KXPlatform::CrashRegisterName(i), facts.aRegisters[i]);
    dump.uStackAddress = facts.uStackAddress;
    dump.strStack = strStack;
    dump.vecFrames.assign(facts.aFrames, facts.aFrames + facts.uFrameCount);
    dump.strMemoryMap = KXPlatform::ReadProcessMemoryMap(uPid);
    dump.strModules = DescribeModules(uPid);
    for (const std::string& strLine : vecLines) dump.strReport += strLine + "\n";

    // Unlike a bare file create, a missing save folder is made: a first crash must not lose its dump.
    if (!DirectoryOf(strDumpPath).empty()) MakeDirectories(DirectoryOf(strDumpPath));
    int nError = 0;
    if (!WriteDumpFile(strDumpPath.c_str(), dump, nError)) {
        ArkLog(WL_MUST, M_Kernel, "Lumo：INVALID_HANDLE_VALUE GetLastError() = %d", nError);
        ReportSaveFailure(strDumpName, strDumpPath);
        return KXPlatform::CrashVerdict::EndProcess;
    }
    const std::string strCopyDir = ApplyDumpPathFormat(settings.szDumpPathFormat, "crash_log");
    MakeDirectories(strCopyDir);
    const std::string strCopy = strCopyDir + "/" + strDumpName;
    CopyFileBytes(strDumpPath, strCopy);

    std::snprintf(szName, sizeof(szName), "QVRTClientCrashDMPFile:%u", uPid);
    KXPlatform::SignalNamedWatcher(szName);

    const std::string strUrl = std::string(settings.szUploadUrl) + strDumpName;
    if (Upload(strUrl, strDumpPath))
        KXPlatform::DeleteFile(strCopy.c_str());
    else
        ArkLog(WL_ERROR, M_Logic, "Fail uploading DMP File: %s", strUrl.c_str());
    Upload(strUrl.substr(0, strUrl.size() - 3) + "log", logger.GetLogFilePath());

    char szText[1600];
    std::snprintf(szText, sizeof(szText), "成功保存到 %s", strDumpPath.c_str());
    ArkLog(WL_MUST, M_Kernel, "%s", szText);
    Tell(szText);
    return bMainThread ? KXPlatform::CrashVerdict::EndProcess : KXPlatform::CrashVerdict::ParkThread;
}

}  // namespace KXKernal_Crash
