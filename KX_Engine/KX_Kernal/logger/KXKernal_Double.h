// A double buffer between producers and one consumer thread: producers push into the write side, the
// consumer swaps the sides and drains the read side outside the lock.
#pragma once

#include "KX_Kernal/logger/KXKernal_Vector.h"
#include "KX_Kernal/misc/KXKernal_Lock.h"

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>

#include <cstdint>

template <typename T>
class CKXKernal_Double {
public:
    enum WaitResult { WAIT_DATA = 0, WAIT_STOP = 1 };

    // Appends to the write side and sets the data event.
    void Push(const T& value) {
        {
            KXKERNAL_AUTOLOCK(m_cs);
            m_buffers[m_uWrite].Push(value);
        }
        SetEvent(m_bData);
    }

    // Resets the data event, empties the current read side, exchanges the sides and hands out the new
    // read side. The consumer owns its elements until the next Swap.
    uint32_t Swap(T*& pElements) {
        KXKERNAL_AUTOLOCK(m_cs);
        ResetEvent(m_bData);
        m_buffers[m_uRead].SetCount(0);
        const uint8_t uOldRead = m_uRead;
        m_uRead = m_uWrite;
        m_uWrite = uOldRead;
        pElements = m_buffers[m_uRead].Data();
        return m_buffers[m_uRead].Count();
    }

    // Elements waiting on the write side.
    uint32_t PendingCount() {
        KXKERNAL_AUTOLOCK(m_cs);
        return m_buffers[m_uWrite].Count();
    }

    void SetStop() { SetEvent(m_bStop); }
    void ResetStop() { ResetEvent(m_bStop); }

    // Blocks until the data event or the stop event is set; the stop event wins when both are.
    WaitResult WaitDataOrStop() {
        boost::unique_lock<boost::mutex> lock(m_eventMutex);
        m_eventCond.wait(lock, [this] { return m_bData || m_bStop; });
        return m_bStop ? WAIT_STOP : WAIT_DATA;
    }

private:
    void SetEvent(bool& bEvent) {
        boost::lock_guard<boost::mutex> guard(m_eventMutex);
        bEvent = true;
        m_eventCond.notify_all();
    }
    void ResetEvent(bool& bEvent) {
        boost::lock_guard<boost::mutex> guard(m_eventMutex);
        bEvent = false;
    }

    CKXKernal_Vector<T, 1> m_buffers[2];
    uint8_t m_uRead = 0;
    uint8_t m_uWrite = 1;
    CKXKernal_CriticalSection m_cs;
    // Both manual-reset events share one mutex and condition, so one wait can watch both.
    boost::mutex m_eventMutex;
    boost::condition_variable m_eventCond;
    bool m_bData = false;
    bool m_bStop = false;
};
