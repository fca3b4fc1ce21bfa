// A manual-reset event: set once by one thread, polled or waited on by another; stays set until reset.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace KXPlatform {

class CManualResetEvent {
public:
    CManualResetEvent() = default;
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    // True when set, waiting at most uMilliseconds for it (0 only looks).
    bool Wait(uint32_t uMilliseconds);

private:
    std::mutex m_Mutex;
    std::condition_variable m_Cond;
    bool m_bSet = false;
};

}  // namespace KXPlatform
