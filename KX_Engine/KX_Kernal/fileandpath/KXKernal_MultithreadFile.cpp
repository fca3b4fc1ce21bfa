// CKXKernal_Multithread_File: reads under the pack's lock.
#include "KX_Kernal/fileandpath/KXKernal_MultithreadFile.h"

#include "KX_Kernal/KXKernal_Assert.h"
#include "KX_Kernal/misc/KXKernal_Lock.h"

CKXKernal_Multithread_File::CKXKernal_Multithread_File(std::FILE* fFile, const std::string& strFileName,
                                                       bool bScrambled, int32_t nBeginTell, int32_t nEndTell,
                                                       CKXKernal_CriticalSection* pLock)
    : CKXKernal_File(fFile, strFileName, bScrambled, nBeginTell, nEndTell), m_pLock(pLock) {}

uint32_t CKXKernal_Multithread_File::Read(void* pMemBuffer, uint32_t uSize, uint32_t uCount) {
    KXKernal_Assert(this->m_fFile && this->m_nCurTell >= this->m_nBeginTell && this->m_nCurTell <= this->m_nEndTell && pMemBuffer);
    if (!m_pLock) return ReadAtCurrent(pMemBuffer, uSize, uCount);
    KXKERNAL_AUTOLOCK(*m_pLock);
    return ReadAtCurrent(pMemBuffer, uSize, uCount);
}
