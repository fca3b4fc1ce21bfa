// The processes running on the machine, for the single-instance rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KXPlatform {

struct RunningProcess {
    uint32_t uPid = 0;
    // The bare file name of the process's executable ("QVRTNetcheck"), as the system lists it.
    std::string strImageName;
};

// Every live process the system lets us see (ended processes not yet reaped are left out). False when
// the list cannot be taken at all.
bool ListProcesses(std::vector<RunningProcess>& vecOut);

// The full path (GBK) of a process's executable, with the system's error codes just before the query, the
// query's own result (the path's length, 0 on failure) and the error code just after it.
struct ImagePathQuery {
    std::string strPath;
    int nErrorBefore = 0;
    int nResult = 0;
    int nErrorAfter = 0;
};
ImagePathQuery QueryProcessImagePath(uint32_t uPid);

}  // namespace KXPlatform
