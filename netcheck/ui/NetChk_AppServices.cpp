// The one registered application, for the net-check windows.
#include "netcheck/ui/NetChk_AppServices.h"

namespace {
INetChkAppServices* g_pAppServices = nullptr;
}  // namespace

void SetNetChkAppServices(INetChkAppServices* p) { g_pAppServices = p; }

INetChkAppServices* GetNetChkAppServices() { return g_pAppServices; }
