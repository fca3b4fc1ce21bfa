// QVRTNetcheck's entry point. The application object lives for the whole process.
#include "app/NetChk_Global.h"
#include "app/NetChk_Startup.h"
#include "KX_Platform/KXPlatform_Process.h"

CNetChk_Global g_NetChkGlobal;

int main(int argc, char** argv) {
    return NetChkApp::RunNetCheck(KXPlatform::GetCommandLineArgs(argc, argv), g_NetChkGlobal,
                                  NetChkApp::StartupPlatform::System());
}
