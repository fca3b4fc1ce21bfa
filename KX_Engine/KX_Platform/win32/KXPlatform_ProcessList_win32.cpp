// The process list on Windows: a Toolhelp snapshot of all processes.
#include "KX_Platform/KXPlatform_ProcessList.h"

#include "KXPlatform_Win32.h"

#include <tlhelp32.h>

namespace KXPlatform {

bool ListProcesses(std::vector<RunningProcess>& vecOut) {
    vecOut.clear();
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore; bMore = ::Process32Next(hSnapshot, &entry)) {
        RunningProcess p;
        p.uPid = static_cast<uint32_t>(entry.th32ProcessID);
        // The snapshot gives the bare file name; some systems give a path, cut to its last part.
        std::string name = entry.szExeFile;
        const size_t slash = name.find_last_of("\\/");
        p.strImageName = slash == std::string::npos ? name : name.substr(slash + 1);
        if (!p.strImageName.empty()) vecOut.push_back(std::move(p));
    }
    ::CloseHandle(hSnapshot);
    return true;
}

ImagePathQuery QueryProcessImagePath(uint32_t uPid) {
    ImagePathQuery q;
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, uPid);
    q.nErrorBefore = static_cast<int>(::GetLastError());
    char szPath[MAX_PATH + 1] = {};
    DWORD uSize = MAX_PATH;
    if (hProcess && ::QueryFullProcessImageNameA(hProcess, 0, szPath, &uSize)) {
        q.nResult = static_cast<int>(uSize);
        q.strPath.assign(szPath, uSize);
    }
    q.nErrorAfter = static_cast<int>(::GetLastError());
    if (hProcess) ::CloseHandle(hProcess);
    return q;
}

}  // namespace KXPlatform
