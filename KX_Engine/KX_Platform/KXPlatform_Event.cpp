// The manual-reset event on the C++ library's mutex and condition variable (every backend).
#include "KX_Platform/KXPlatform_Event.h"

#include <chrono>

namespace KXPlatform {

void CManualResetEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bSet = true;
    }
    m_Cond.notify_all();
}

void CManualResetEvent::Reset() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bSet = false;
}

bool CManualResetEvent::Wait(uint32_t uMilliseconds) {
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (uMilliseconds == 0) return m_bSet;
    return m_Cond.wait_for(lock, std::chrono::milliseconds(uMilliseconds), [this] { return m_bSet; });
}

}  // namespace KXPlatform
