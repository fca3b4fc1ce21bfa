// A file inside a pack archive, safe to read while other threads read other files of the same pack.
#pragma once

#include "KX_Kernal/fileandpath/KXKernal_File.h"

class CKXKernal_CriticalSection;

// All files of one pack share the pack's stream; each Read holds the pack's lock around its seek and
// read so that another thread cannot move the stream in between.
class CKXKernal_Multithread_File : public CKXKernal_File {
public:
    // pLock belongs to the pack, which outlives every file found in it.
    CKXKernal_Multithread_File(std::FILE* fFile, const std::string& strFileName, bool bScrambled,
                               int32_t nBeginTell, int32_t nEndTell, CKXKernal_CriticalSection* pLock);

    uint32_t Read(void* pMemBuffer, uint32_t uSize, uint32_t uCount) override;

private:
    CKXKernal_CriticalSection* m_pLock;
};
