// The single-instance rule: the program refuses to start while another copy of it runs.
#pragma once

#include "KX_Platform/KXPlatform_ProcessList.h"

#include <cstdint>
#include <vector>

namespace NetChkApp {

// True when a process other than uOwnPid has the image name "QVRTNetcheck" exactly (case-sensitive).
// Each one found is logged with its image path and the error codes around the query.
bool IsAnotherInstanceRunning(const std::vector<KXPlatform::RunningProcess>& vecProcesses, uint32_t uOwnPid);

// The same over the system's process list; when the list cannot be taken nothing counts.
bool IsAnotherInstanceRunning();

}  // namespace NetChkApp
