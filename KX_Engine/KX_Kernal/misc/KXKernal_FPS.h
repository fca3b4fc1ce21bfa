// Frame pacing: FrameTimer measures intervals on the system time, FrameLimiter sleeps out the rest of
// each frame (33 ms, about 30 frames per second) and counts the frames of every second.
#pragma once

#include <cstdint>

// Where the two classes take the time and their sleep from. The program uses the system clock; tests
// hand in a clock they move themselves.
class IKXFrameClock {
public:
    virtual ~IKXFrameClock() = default;
    // 100-nanosecond units on the system time (the FILETIME scale).
    virtual uint64_t Now100ns() = 0;
    virtual void Sleep(uint32_t uMilliseconds) = 0;
};

// The system time and the system sleep; one shared instance.
IKXFrameClock& KXKernal_SystemFrameClock();

// Sleeps through the clock, but skips any request above 10000 ms: a figure that large comes from a
// broken measurement, and the program must not freeze for it.
void KXKernal_Sleep(IKXFrameClock& clock, uint32_t uMilliseconds);

class FrameTimer {
public:
    static constexpr int64_t kFrequency = 10000000;  // units per second

    explicit FrameTimer(IKXFrameClock* pClock = nullptr);

    // Seconds since the last mark; with bUpdate the mark moves to now. A clock that went back yields 0
    // (and one log line), a disabled timer -1.0.
    double elapsed(bool bUpdate);

    void SetEnabled(bool bEnabled) { m_bEnabled = bEnabled; }
    // A non-zero time is used instead of the clock until it is set back to 0.
    void Freeze(int64_t llTime) { m_llFrozenTime = llTime; }

private:
    int64_t Now() const;

    IKXFrameClock* m_pClock;
    bool m_bEnabled = true;
    int64_t m_llFrequency = kFrequency;
    int64_t m_llFrozenTime = 0;
    int64_t m_llLastElapsedTime = 0;
};

class FrameLimiter {
public:
    static constexpr int32_t kDefaultDelayMs = 33;

    explicit FrameLimiter(IKXFrameClock* pClock = nullptr);

    // Waits out the rest of the frame and updates the FPS figures; call once at the end of every frame.
    void EndFrame();
    // Sets the delay to 1000 / nFPS ms and returns it; nFPS must be above 0 (else the kernel assertion,
    // and the delay stays).
    int32_t SetFPS(int32_t nFPS);

    // Milliseconds measured since construction: the program's clock (the upload's time limit runs on it).
    double GetTotalPassMS() const { return m_nTotalPassMS; }
    uint32_t GetFPS() const { return m_uFPS; }
    uint32_t GetFrameCount() const { return m_uFrameCount; }
    double GetWindowTime() const { return m_dWindowTime; }
    int32_t GetDelayPerFrame() const { return m_nDelayPerFrame; }
    void SetDelayPerFrame(int32_t nDelayMs) { m_nDelayPerFrame = nDelayMs; }

private:
    IKXFrameClock* m_pClock;
    double m_nTotalPassMS = 0.0;
    uint32_t m_uFrameCount = 0;
    uint32_t m_uFPS = 0;
    double m_dWindowTime = 0.0;
    int32_t m_nDelayPerFrame = kDefaultDelayMs;
    FrameTimer m_Timer;
};
