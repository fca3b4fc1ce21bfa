// Kernel synchronisation: a critical section that remembers where it was last taken.
#pragma once

#include <boost/thread/mutex.hpp>

class CKXKernal_CriticalSection {
public:
    // szFile/nLine record the last acquisition, so a hang can be traced to its holder in a debugger.
    void Lock(const char* szFile, int nLine) {
        m_mutex.lock();
        m_szLastFile = szFile;
        m_nLastLine = nLine;
    }
    void Unlock() { m_mutex.unlock(); }
    const char* LastFile() const { return m_szLastFile; }
    int LastLine() const { return m_nLastLine; }

private:
    boost::mutex m_mutex;
    const char* m_szLastFile = "";
    int m_nLastLine = 0;
};

class CKXKernal_AutoLock {
public:
    CKXKernal_AutoLock(CKXKernal_CriticalSection& cs, const char* szFile, int nLine) : m_cs(cs) { m_cs.Lock(szFile, nLine); }
    ~CKXKernal_AutoLock() { m_cs.Unlock(); }
    CKXKernal_AutoLock(const CKXKernal_AutoLock&) = delete;
    CKXKernal_AutoLock& operator=(const CKXKernal_AutoLock&) = delete;

private:
    CKXKernal_CriticalSection& m_cs;
};

// Two levels, so that __LINE__ is expanded before it is glued to the name: each lock in a scope gets its own.
#define KXKERNAL_LOCK_NAME2(line) kxAutoLock##line
#define KXKERNAL_LOCK_NAME(line) KXKERNAL_LOCK_NAME2(line)
#define KXKERNAL_AUTOLOCK(cs) CKXKernal_AutoLock KXKERNAL_LOCK_NAME(__LINE__)((cs), __FILE__, __LINE__)
