// Modal message boxes, with a process-wide hook so that tests and headless runs answer by themselves.
#pragma once

#include <functional>
#include <string>

namespace KXPlatform {

// Button sets and answers carry the Win32 numbers (MB_OK, MB_ABORTRETRYIGNORE; IDOK, IDABORT ...).
enum class MsgBoxButtons { Ok = 0, AbortRetryIgnore = 2, YesNo = 4 };
enum class MsgBoxAnswer { None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
// The icon beside the text (MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION); None shows no icon.
enum class MsgBoxIcon { None = 0, Error = 0x10, Warning = 0x30, Information = 0x40 };

struct MsgBoxRequest {
    std::string strText;     // GBK
    std::string strCaption;  // GBK
    MsgBoxButtons eButtons = MsgBoxButtons::Ok;
    // Kernel boxes belong to the program's active window and stay above it; the others are plain boxes
    // without an owner, which can come up before there is any window.
    bool bOwnedByActiveWindow = false;
    MsgBoxIcon eIcon = MsgBoxIcon::None;
};

using MsgBoxHook = std::function<MsgBoxAnswer(const MsgBoxRequest&)>;

// Shows the box and blocks until it is answered. With a hook installed, the hook answers instead and no
// window appears. Without a hook and without a display, the text goes to the standard error and the
// answer is the harmless one: Ignore for Abort/Retry/Ignore, No for Yes/No, Ok otherwise.
MsgBoxAnswer ShowMessageBox(const char* szText, const char* szCaption, MsgBoxButtons eButtons,
                            bool bOwnedByActiveWindow = false, MsgBoxIcon eIcon = MsgBoxIcon::None);

// Installs the hook for the whole process; an empty function removes it. Returns the previous hook.
MsgBoxHook SetMessageBoxHook(MsgBoxHook hook);

// After a kernel box is answered Ignore, the program's main window is shown again. The shell that owns
// that window installs the callback; until it does, there is no window and nothing to show.
void SetShowActiveWindowCallback(std::function<void()> onShow);
void ShowActiveWindow();

}  // namespace KXPlatform
