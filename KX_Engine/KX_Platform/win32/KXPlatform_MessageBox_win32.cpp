// Message boxes on Windows: MessageBoxA, which takes the GBK text as it is.
#include "KX_Platform/KXPlatform_MessageBox.h"

#include "KXPlatform_Win32.h"

namespace KXPlatform {

bool ShowNativeMessageBox(const MsgBoxRequest& request, MsgBoxAnswer& answer) {
    UINT uType = static_cast<UINT>(request.eButtons) | static_cast<UINT>(request.eIcon);
    HWND hOwner = nullptr;
    if (request.bOwnedByActiveWindow) {
        hOwner = ::GetActiveWindow();
        uType |= MB_TOPMOST;
    }
    const int nAnswer = ::MessageBoxA(hOwner, request.strText.c_str(), request.strCaption.c_str(), uType);
    if (nAnswer == 0) return false;
    answer = static_cast<MsgBoxAnswer>(nAnswer);
    return true;
}

void WriteUnshownMessageBox(const MsgBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s\n", request.strCaption.c_str(), request.strText.c_str());
}

}  // namespace KXPlatform
