// A frame clock for tests: time stands still until the test moves it; a sleep moves it by the time
// slept (plus an overshoot the test chooses) and is recorded.
#pragma once

#include "KX_Kernal/misc/KXKernal_FPS.h"

#include <cmath>
#include <cstdint>
#include <vector>

class FakeFrameClock : public IKXFrameClock {
public:
    uint64_t Now100ns() override { return m_uNow; }
    void Sleep(uint32_t uMilliseconds) override {
        m_vecSleeps.push_back(uMilliseconds);
        m_uNow += (uMilliseconds + m_uOvershootMs) * 10000ull;
    }
    void AdvanceMs(double dMs) { m_uNow += static_cast<uint64_t>(std::llround(dMs * 10000.0)); }
    void BackMs(uint32_t uMs) { m_uNow -= uMs * 10000ull; }

    uint64_t m_uNow = 130000000000000000ull;  // some day in 2012, on the FILETIME scale
    uint32_t m_uOvershootMs = 0;
    std::vector<uint32_t> m_vecSleeps;
};
