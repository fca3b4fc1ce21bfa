// The single-instance rule over the process list.
#include "app/NetChk_SingleInstance.h"

#include "app/NetChk_AppDefs.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_CrashGuard.h"
#include "KX_Platform/KXPlatform_Process.h"

namespace NetChkApp {

bool IsAnotherInstanceRunning(const std::vector<KXPlatform::RunningProcess>& vecProcesses, uint32_t uOwnPid) {
    bool bFound = false;
    const std::string strImageName = KXPlatform::ExecutableFileName(kImageName);
    for (const KXPlatform::RunningProcess& p : vecProcesses) {
        // Our own crash agent is a copy of this process, not another instance.
        if (p.uPid == uOwnPid || p.uPid == KXPlatform::GetCrashAgentProcessId() || p.strImageName != strImageName)
            continue;
        const KXPlatform::ImagePathQuery q = KXPlatform::QueryProcessImagePath(p.uPid);
        ArkLog(WL_INFO, M_Logic, "szExeFile %s , dwLast1 %d , dwRet %d , dwLast2 %d", q.strPath.c_str(),
               q.nErrorBefore, q.nResult, q.nErrorAfter);
        bFound = true;
    }
    return bFound;
}

bool IsAnotherInstanceRunning() {
    std::vector<KXPlatform::RunningProcess> vecProcesses;
    if (!KXPlatform::ListProcesses(vecProcesses)) return false;
    return IsAnotherInstanceRunning(vecProcesses, KXPlatform::GetProcessId());
}

}  // namespace NetChkApp
