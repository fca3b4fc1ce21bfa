// Kernel assertions and the kernel message box.
#include "KX_Kernal/KXKernal_Assert.h"

#include "KX_Platform/KXPlatform_MessageBox.h"
#include "KX_Platform/KXPlatform_Process.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

void KXKernal_MessageBox(const char* szText) {
    const KXPlatform::MsgBoxAnswer answer =
        KXPlatform::ShowMessageBox(szText, "KXKernal MessageBox", KXPlatform::MsgBoxButtons::AbortRetryIgnore, true);
    switch (answer) {
        case KXPlatform::MsgBoxAnswer::Abort:
            std::raise(SIGABRT);
            std::exit(3);  // reached when SIGABRT is caught or ignored
        case KXPlatform::MsgBoxAnswer::Retry:
            KXPlatform::DebugBreak();
            break;
        default:
            KXPlatform::ShowActiveWindow();
            break;
    }
}

void KXKernal_AssertFailed(const char* szExpression, const char* szFile, int nLine) {
    const char* const kFormat = "KXKernal_Assert(%s);\nFile: %s\nLine: %d";
    const int n = std::snprintf(nullptr, 0, kFormat, szExpression, szFile, nLine);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    std::snprintf(&text[0], text.size() + 1, kFormat, szExpression, szFile, nLine);
    KXKernal_MessageBox(text.c_str());
}
