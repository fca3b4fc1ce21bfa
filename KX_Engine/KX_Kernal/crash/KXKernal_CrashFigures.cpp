// The parts of the crash report that describe the process and the machine: the call stack, memory,
// call records, uptimes and the process survey.
#include "KX_Kernal/crash/KXKernal_CrashReport.h"

#include "KX_Kernal/crash/KXKernal_CrashState.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_CrashInfo.h"

#include <boost/stacktrace/frame.hpp>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace KXKernal_Crash {

namespace {
constexpr const char* kGameClientName = "QVRTClient";
constexpr uint32_t kListedOthers = 5;  // the biggest other processes by memory

std::string OrNotAvailable(const std::string& strText) { return strText.empty() ? "N/A" : strText; }
}  // namespace

void ReportLine(std::vector<std::string>& vecLines, int nLevel, int nModule, const char* szFormat, ...) {
    char szLine[2048];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(szLine, sizeof(szLine), szFormat, args);
    va_end(args);
    ArkLog(nLevel, nModule, "%s", szLine);
    vecLines.emplace_back(szLine);
}

std::vector<std::string> SymboliseFrames(const uint64_t* pFrames, uint32_t uCount) {
    std::vector<std::string> vecOut;
    for (uint32_t i = 0; i < uCount; ++i) {
        // Outer frames hold return addresses; one byte back lies inside the calling line.
        const uint64_t uAddress = i == 0 || pFrames[i] == 0 ? pFrames[i] : pFrames[i] - 1;
        const boost::stacktrace::frame frame(reinterpret_cast<boost::stacktrace::frame::native_frame_ptr_t>(uAddress));
        std::string strName = frame.name();
        std::size_t uLine = frame.source_line();
        std::string strFile = frame.source_file();
        uint32_t uSystemLine = 0;
        // Where the stack trace library cannot read the binary's symbols, the system's symbol service.
        if (strName.empty() && KXPlatform::DescribeCodeAddress(uAddress, strName, strFile, uSystemLine)) uLine = uSystemLine;
        if (strName.size() > 1023) strName.resize(1023);
        if (strFile.size() > 1023) strFile.resize(1023);
        char szLine[3200];
        std::snprintf(szLine, sizeof(szLine), "%s():[%s](File:%s @Line %s)", OrNotAvailable(strName).c_str(),
                      OrNotAvailable(KXPlatform::ModuleOfAddress(uAddress)).c_str(),
                      OrNotAvailable(strFile).c_str(), uLine ? std::to_string(uLine).c_str() : "N/A");
        vecOut.emplace_back(szLine);
    }
    return vecOut;
}

void ReportMemoryAndRecords(uint32_t uPid, std::vector<std::string>& vecLines) {
    KXPlatform::ProcessMemory memory;
    KXPlatform::ReadProcessMemory(uPid, memory);
    ReportLine(vecLines, WL_MUST, M_Logic, "PrintCallRecord 使用内存高峰: %d MB", int(memory.uPeakResidentKB / 1024));
    ReportLine(vecLines, WL_MUST, M_Logic, "PrintCallRecord 当前使用内存: %d MB", int(memory.uResidentKB / 1024));
    ReportLine(vecLines, WL_MUST, M_Logic, "PrintCallRecord 虚拟内存高峰: %d MB", int(memory.uPeakVirtualKB / 1024));
    ReportLine(vecLines, WL_MUST, M_Logic, "PrintCallRecord 虚拟内存: %d MB", int(memory.uVirtualKB / 1024));

    const std::vector<std::string> vecRecords = TakeCallRecords();
    ReportLine(vecLines, WL_WARNING, M_Logic, "Last:%s", vecRecords.empty() ? "" : vecRecords.back().c_str());
    ReportLine(vecLines, WL_WARNING, M_Kernel, "------- begin print record");
    for (const std::string& strRecord : vecRecords) ReportLine(vecLines, WL_WARNING, M_Kernel, "%s", strRecord.c_str());
    ReportLine(vecLines, WL_WARNING, M_Kernel, "执行到这结束了 end print record\n");
    ReportLine(vecLines, WL_MUST, M_Kernel, "基础信息:%s", KXPlatform::GetBasicSystemInfo().c_str());

    const uint64_t uUpMinutes = KXPlatform::GetSystemUptimeSeconds() / 60;
    ReportLine(vecLines, WL_MUST, M_Kernel, "电脑已经运行了%d天%d小时%d分钟", int(uUpMinutes / 1440),
               int(uUpMinutes / 60 % 24), int(uUpMinutes % 60));
    const uint32_t uRunMinutes = (KXPlatform::GetTickCount() - GetSettings().uInstallTick) / 60000;
    ReportLine(vecLines, WL_MUST, M_Kernel, "客户端已经运行了%d天%d小时%d分钟", int(uRunMinutes / 1440),
               int(uRunMinutes / 60 % 24), int(uRunMinutes % 60));
}

void ReportSurvey(uint32_t uPid, std::vector<std::string>& vecLines) {
    std::vector<KXPlatform::SurveyedProcess> vecProcesses;
    int nCpu = 0;
    KXPlatform::SurveyProcesses(200, vecProcesses, nCpu);
    KXPlatform::SystemMemory memory;
    KXPlatform::ReadSystemMemory(memory);
    const uint64_t uPhysTotal = memory.uTotalPhysicalKB / 1024;
    const uint64_t uPhysUsed = (memory.uTotalPhysicalKB - memory.uAvailablePhysicalKB) / 1024;
    const uint64_t uSwapTotal = memory.uTotalSwapKB / 1024;
    const uint64_t uSwapUsed = (memory.uTotalSwapKB - memory.uFreeSwapKB) / 1024;
    ReportLine(vecLines, WL_MUST, M_Kernel,
               "[进程数：%d] [CPU使用率：%d%%] [物理内存：%d%%, %llu MB/%llu MB] [虚拟内存：%d%%, %llu MB/%llu MB]\n",
               int(vecProcesses.size()), nCpu, uPhysTotal ? int(100 * uPhysUsed / uPhysTotal) : 0,
               (unsigned long long)uPhysUsed, (unsigned long long)uPhysTotal,
               uSwapTotal ? int(100 * uSwapUsed / uSwapTotal) : 0, (unsigned long long)uSwapUsed,
               (unsigned long long)uSwapTotal);

    // The game client's processes in their own brackets, then ours and the biggest others.
    std::vector<KXPlatform::SurveyedProcess> vecOthers;
    for (const KXPlatform::SurveyedProcess& p : vecProcesses) {
        if (p.strName.compare(0, std::char_traits<char>::length(kGameClientName), kGameClientName) == 0) {
            ReportLine(vecLines, WL_MUST, M_Kernel, "【进程：%s】\t【ID：%d】\t【CPU占用：%d%%】\t【内存占用：%llu KB】\n",
                       p.strName.c_str(), int(p.uPid), p.nCpuPercent, (unsigned long long)p.uMemoryKB);
        } else {
            vecOthers.push_back(p);
        }
    }
    std::stable_sort(vecOthers.begin(), vecOthers.end(), [uPid](const auto& a, const auto& b) {
        if ((a.uPid == uPid) != (b.uPid == uPid)) return a.uPid == uPid;
        return a.uMemoryKB > b.uMemoryKB;
    });
    for (size_t i = 0; i < vecOthers.size() && i < kListedOthers + 1; ++i) {
        const KXPlatform::SurveyedProcess& p = vecOthers[i];
        ReportLine(vecLines, WL_MUST, M_Kernel, "[进程：%s]\t[ID：%d]\t[CPU占用：%d%%]\t[内存占用：%llu KB]\n",
                   p.strName.c_str(), int(p.uPid), p.nCpuPercent, (unsigned long long)p.uMemoryKB);
    }
}

}  // namespace KXKernal_Crash
