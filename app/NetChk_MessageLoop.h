// The main loop: it polls, taking at most one message per pass, and runs a frame whenever the queue is
// empty. It never blocks; the frame limiter's sleep is its only wait.
#pragma once

#include "KX_Platform/KXPlatform_HostWindow.h"

class CNetChk_Global;

namespace NetChkApp {

// One pass: a message when one waits (Alt+key messages straight to the GUI root, all others through
// the window procedure), otherwise a frame. False once the quit message has been taken.
bool RunMessageLoopPass(KXPlatform::IHostWindow& wnd, CNetChk_Global& global);

// Passes until the quit message; returns its exit code.
int RunMessageLoop(KXPlatform::IHostWindow& wnd, CNetChk_Global& global);

}  // namespace NetChkApp
