// QVRTNetcheck's entry point. The application object lives for the whole process.
#include "app/NetChk_Global.h"
#include "app/NetChk_Startup.h"
#include "KX_Kernal/crash/KXKernal_CrashHandler.h"
#include "KX_Platform/KXPlatform_CrashGuard.h"
#include "KX_Platform/KXPlatform_Process.h"

namespace {
// Installed while the static objects are constructed, so that failures during start-up are reported
// too; dumps go to "save" below the data directory the program works in.
struct CrashHandlerInstaller {
    CrashHandlerInstaller() { InstallCrashHandler("QVRTNetcheck", nullptr, "save/%s"); }
} g_crashHandlerInstaller;
}  // namespace

CNetChk_Global g_NetChkGlobal;

int main(int argc, char** argv) {
    SetCrashMainThreadId(KXPlatform::GetCurrentThreadId());
    return NetChkApp::RunNetCheck(KXPlatform::GetCommandLineArgs(argc, argv), g_NetChkGlobal,
                                  NetChkApp::StartupPlatform::System());
}
