// The portable half of the message-box service: the hook, the owner callback and the fallback answer.
#include "KXPlatform_MessageBox.h"

#include "KXPlatform_ScriptedAnswers.h"

#include <mutex>

namespace KXPlatform {

// Implemented by the backend: shows a real box; false when no display can show one.
bool ShowNativeMessageBox(const MsgBoxRequest& request, MsgBoxAnswer& answer);
void WriteUnshownMessageBox(const MsgBoxRequest& request);

namespace {
std::mutex g_hookLock;
MsgBoxHook g_hook;
std::function<void()> g_onShowActiveWindow;

// The default button of each set: what Enter or Escape would answer.
MsgBoxAnswer HarmlessAnswer(MsgBoxButtons eButtons) {
    switch (eButtons) {
        case MsgBoxButtons::AbortRetryIgnore: return MsgBoxAnswer::Ignore;
        case MsgBoxButtons::YesNo: return MsgBoxAnswer::No;
        case MsgBoxButtons::Ok: break;
    }
    return MsgBoxAnswer::Ok;
}
}  // namespace

MsgBoxAnswer ShowMessageBox(const char* szText, const char* szCaption, MsgBoxButtons eButtons,
                            bool bOwnedByActiveWindow, MsgBoxIcon eIcon) {
    MsgBoxRequest request;
    request.strText = szText ? szText : "";
    request.strCaption = szCaption ? szCaption : "";
    request.eButtons = eButtons;
    request.bOwnedByActiveWindow = bOwnedByActiveWindow;
    request.eIcon = eIcon;

    MsgBoxHook hook;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        hook = g_hook;
    }
    if (hook) return hook(request);
    // Automated runs: the box is written out and answered with its default button.
    if (WriteScriptedMessageBox(request.strCaption.c_str(), request.strText.c_str())) return HarmlessAnswer(eButtons);

    MsgBoxAnswer answer = MsgBoxAnswer::None;
    if (ShowNativeMessageBox(request, answer)) return answer;
    WriteUnshownMessageBox(request);
    return HarmlessAnswer(eButtons);
}

MsgBoxHook SetMessageBoxHook(MsgBoxHook hook) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    MsgBoxHook previous = std::move(g_hook);
    g_hook = std::move(hook);
    return previous;
}

void SetShowActiveWindowCallback(std::function<void()> onShow) {
    std::lock_guard<std::mutex> guard(g_hookLock);
    g_onShowActiveWindow = std::move(onShow);
}

void ShowActiveWindow() {
    std::function<void()> onShow;
    {
        std::lock_guard<std::mutex> guard(g_hookLock);
        onShow = g_onShowActiveWindow;
    }
    if (onShow) onShow();
}

}  // namespace KXPlatform
