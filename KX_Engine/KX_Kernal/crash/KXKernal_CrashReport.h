// The crash report as the crash agent writes it, and the pure rules it is made of.
#pragma once

#include "KX_Platform/KXPlatform_Clock.h"
#include "KX_Platform/KXPlatform_CrashGuard.h"

#include <cstdint>
#include <string>
#include <vector>

namespace KXKernal_Crash {

// The whole report for one failing thread (runs in the agent; see KXKernal_CrashHandler.h).
KXPlatform::CrashVerdict RunCrashReport(const KXPlatform::CrashFacts& facts, const std::string& strStack);

// "%d-%d-%d_%d-%d-%d_%s_x32_%s_%s_%s_%s.dmp": date and time not zero-padded, then the application
// name, the machine tag, the client version, the crash tag and the dump tag; empty fields stay empty.
std::string MakeDumpName(const KXPlatform::LocalTime& time, const char* szAppName, const char* szMachineTag,
                         const char* szVersion, const char* szCrashTag, const char* szDumpTag);

// A dump path format must hold exactly one "%s" and no other conversion.
bool IsUsableDumpPathFormat(const char* szFormat);
std::string ApplyDumpPathFormat(const char* szFormat, const std::string& strName);

// The "version" attribute of the root element of update.xml in szDir; "" when there is none.
std::string ReadClientVersion(const std::string& strDir);

// Less than 200 MB left: of the smaller of the physical memory and 3072 MB, what the process does not
// use; or, when the process's figures are unknown, the available physical memory.
bool IsOutOfMemory(uint64_t uTotalPhysicalKB, uint64_t uAvailablePhysicalKB, bool bHaveProcessFigures,
                   uint64_t uProcessResidentKB);

// One "%s():[%s](File:%s @Line %s)" line per frame, "N/A" for what cannot be named.
std::vector<std::string> SymboliseFrames(const uint64_t* pFrames, uint32_t uCount);

// The memory, call-record, basic-information and uptime lines, and the process survey.
void ReportMemoryAndRecords(uint32_t uPid, std::vector<std::string>& vecLines);
void ReportSurvey(uint32_t uPid, std::vector<std::string>& vecLines);

// Logs one report line and keeps it for the dump.
void ReportLine(std::vector<std::string>& vecLines, int nLevel, int nModule, const char* szFormat, ...)
    __attribute__((format(printf, 4, 5)));

}  // namespace KXKernal_Crash
