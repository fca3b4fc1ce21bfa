// Frame pacing on the system time.
#include "KX_Kernal/misc/KXKernal_FPS.h"

#include "KX_Kernal/KXKernal_Assert.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Clock.h"

namespace {

class CKXSystemFrameClock : public IKXFrameClock {
public:
    uint64_t Now100ns() override { return KXPlatform::GetSystemTime100ns(); }
    void Sleep(uint32_t uMilliseconds) override { KXPlatform::Sleep(uMilliseconds); }
};

constexpr uint32_t kLongestSleepMs = 10000;

}  // namespace

IKXFrameClock& KXKernal_SystemFrameClock() {
    static CKXSystemFrameClock s_clock;
    return s_clock;
}

void KXKernal_Sleep(IKXFrameClock& clock, uint32_t uMilliseconds) {
    if (uMilliseconds > kLongestSleepMs) return;
    clock.Sleep(uMilliseconds);
}

// ---- FrameTimer ----

FrameTimer::FrameTimer(IKXFrameClock* pClock) : m_pClock(pClock ? pClock : &KXKernal_SystemFrameClock()) {
    m_llLastElapsedTime = Now();
}

int64_t FrameTimer::Now() const {
    return m_llFrozenTime != 0 ? m_llFrozenTime : static_cast<int64_t>(m_pClock->Now100ns());
}

double FrameTimer::elapsed(bool bUpdate) {
    if (!m_bEnabled) return -1.0;
    const int64_t llNow = Now();
    double fElapsedTime = static_cast<double>(llNow - m_llLastElapsedTime) / static_cast<double>(m_llFrequency);
    if (llNow < m_llLastElapsedTime) {
        ArkLog(WL_ERROR, M_Common, "qwTime.QuadPart(%f) < m_llLastElapsedTime(%f) fElapsedTime = (%f)",
               static_cast<double>(llNow), static_cast<double>(m_llLastElapsedTime), fElapsedTime);
        fElapsedTime = 0.0;
    }
    // The mark follows the clock even when it went back, so one jump is reported once.
    if (bUpdate) m_llLastElapsedTime = llNow;
    return fElapsedTime;
}

// ---- FrameLimiter ----

FrameLimiter::FrameLimiter(IKXFrameClock* pClock)
    : m_pClock(pClock ? pClock : &KXKernal_SystemFrameClock()), m_Timer(m_pClock) {}

void FrameLimiter::EndFrame() {
    const double dPassMS = m_Timer.elapsed(true) * 1000.0;
    m_nTotalPassMS += dPassMS;
    if (m_nTotalPassMS < 0 || dPassMS < 0 || m_nDelayPerFrame > 10000) {
        ArkLog(WL_ERROR, M_Common, "m_nTotalPassMS = %d", static_cast<int>(m_nTotalPassMS));
        ArkLog(WL_ERROR, M_Common, "nPassMS = %d", static_cast<int>(dPassMS));
        ArkLog(WL_ERROR, M_Common, "m_nDelayPerFrame = %d", m_nDelayPerFrame);
    }

    double dFrameMS = dPassMS;
    if (m_nDelayPerFrame > dPassMS) {
        // The difference is positive here; as unsigned, a request above the cap is skipped.
        const int64_t llSleep = static_cast<int64_t>(m_nDelayPerFrame) - static_cast<int64_t>(dPassMS);
        KXKernal_Sleep(*m_pClock, llSleep > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<uint32_t>(llSleep));
        const double dSleepMS = m_Timer.elapsed(true) * 1000.0;
        m_nTotalPassMS += dSleepMS;
        if (dSleepMS < 0 || m_nTotalPassMS < 0) {
            ArkLog(WL_ERROR, M_Common, "nPassMS = %f", dPassMS);
            ArkLog(WL_ERROR, M_Common, "dSleepMS = %f", dSleepMS);
            ArkLog(WL_ERROR, M_Common, "m_nTotalPassMS = %f", m_nTotalPassMS);
            ArkLog(WL_ERROR, M_Common, "m_nDelayPerFrame = %d", m_nDelayPerFrame);
        }
        dFrameMS = dPassMS + dSleepMS;
    }

    m_dWindowTime += dFrameMS;
    ++m_uFrameCount;
    if (m_dWindowTime >= 1000.0) {
        m_uFPS = m_uFrameCount;
        m_uFrameCount = 0;
        m_dWindowTime -= 1000.0;
    }
}

int32_t FrameLimiter::SetFPS(int32_t nFPS) {
    KXKernal_Assert(nFPS > 0);
    if (nFPS > 0) m_nDelayPerFrame = 1000 / nFPS;
    return m_nDelayPerFrame;
}
