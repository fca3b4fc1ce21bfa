// The start-up message box.
#include "app/NetChk_AppDefs.h"

#include "KX_Platform/KXPlatform_MessageBox.h"

namespace NetChkApp {

void ShowStartupMessage(const char* szTextGbk) {
    KXPlatform::ShowMessageBox(szTextGbk, kMsgBoxCaption, KXPlatform::MsgBoxButtons::Ok, false,
                               KXPlatform::MsgBoxIcon::Error);
}

}  // namespace NetChkApp
