// What the run controller asks of the application shell: the per-frame work state, the quit request of
// the fatal path and the window flash at the end of a run.
#pragma once

#include <cstdint>

class INetChk_RunHost {
public:
    // The shell's AppState values.
    enum AppState { kAppChecking = 0, kAppUploading = 1, kAppIdle = 2 };

    virtual ~INetChk_RunHost() = default;

    virtual void SetAppState(int32_t nState) = 0;
    // The fatal path: the main window is destroyed and the program ends through its normal shutdown.
    virtual void RequestQuit() = 0;
    // Draws the player's attention to the finished check (all parts, ten times, until focused).
    virtual void FlashMainWindow() = 0;
};
