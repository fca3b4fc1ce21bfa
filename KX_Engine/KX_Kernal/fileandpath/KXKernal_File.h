// CKXKernal_File, one open file on disk or one byte range inside a pack archive, and the kernel's file
// access functions (OpenFile and the helpers built on it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// A file as a byte range [m_nBeginTell, m_nEndTell) of a stdio stream. A disk file owns its stream and
// starts at 0; a file inside a pack shares the pack's stream, starts after the archive's header and
// leaves the stream open when it is released.
class CKXKernal_File {
public:
    // Takes over fFile when nBeginTell is 0 (a disk file); otherwise only borrows it.
    CKXKernal_File(std::FILE* fFile, const std::string& strFileName, bool bScrambled, int32_t nBeginTell,
                   int32_t nEndTell);
    virtual ~CKXKernal_File();
    CKXKernal_File(const CKXKernal_File&) = delete;
    CKXKernal_File& operator=(const CKXKernal_File&) = delete;

    // Reads uCount elements of uSize bytes at the current position and returns the bytes read (whole
    // elements only). Nothing is read at the end of the range; otherwise the read is not cut at the end:
    // callers ask for no more than GetSize(). Scrambled contents are unscrambled in the buffer with the
    // key counted from the range start, so such a file is read whole or in 16-byte steps from its start.
    // A position outside the range (after an ignored assertion) reads nothing.
    virtual uint32_t Read(void* pMemBuffer, uint32_t uSize, uint32_t uCount);
    // Writes at the current position without scrambling; the end grows when the position passes it.
    uint32_t Write(const void* pMemBuffer, uint32_t uSize, uint32_t uCount);
    // Moves to nOffset bytes from the range start; returns the previous offset from the range start.
    int32_t Seek(int32_t nOffset);
    bool Eof();

    int32_t GetSize() const { return m_nEndTell - m_nBeginTell; }
    const std::string& GetFileName() const { return m_strFileName; }
    bool IsScrambled() const { return m_bScrambled; }
    int32_t GetBeginTell() const { return m_nBeginTell; }
    int32_t GetCurTell() const { return m_nCurTell; }
    int32_t GetEndTell() const { return m_nEndTell; }
    // The stdio stream; shared by every file of one pack.
    std::FILE* GetHandle() const { return m_fFile; }

protected:
    // Seek of the stream, fread and unscrambling, without any lock.
    uint32_t ReadAtCurrent(void* pMemBuffer, uint32_t uSize, uint32_t uCount);

    std::FILE* m_fFile = nullptr;
    std::string m_strFileName;  // as opened; for a file in a pack: pack base name + "/" + inner name
    bool m_bScrambled = false;
    int32_t m_nBeginTell = 0;
    int32_t m_nEndTell = 0;
    int32_t m_nCurTell = 0;
};

// Opens a file for reading, from disk or from a pack archive as the pack-first switch says. The path is
// normalised first (at most KXKERNAL_MAX_PATH - 1 bytes); a path that fails to normalise gives none.
// With bPackAllowed false only the disk is tried.
std::unique_ptr<CKXKernal_File> OpenFile(const char* szFileName, bool bPackAllowed);

// fopen with szMode ("rb" for reading); the range is the whole file. Directories give none.
std::unique_ptr<CKXKernal_File> OpenDiskFile(const char* szFileName, const char* szMode);

// Process-wide: whether OpenFile looks in the packs before the disk. On by default; the shell sets it
// from its configuration before the first file is opened.
void SetReadPackFirst(bool bPackFirst);
bool GetReadPackFirst();

// The whole file, NUL-terminated (size + 1 bytes); false when it cannot be opened.
bool ReadWholeFile(const char* szFileName, std::unique_ptr<char[]>& pBuffer, uint32_t& uSize);

// Whether OpenFile with packs allowed succeeds.
bool FileExists(const char* szFileName);

// Reads the whole file and hands (buffer, size) to the callback; the buffer is freed afterwards.
// False when the file cannot be opened; otherwise the callback's result.
using KXKernal_FileDataCallback = bool (*)(void* pContext, const char* pData, uint32_t uSize);
bool KXKernal_ReadFileWithCallback(const char* szFileName, void* pContext, KXKernal_FileDataCallback pfnCallback);

// Hands the open file to the callback; logs and returns false when the file cannot be opened.
using KXKernal_OpenFileCallback = bool (*)(void* pContext, CKXKernal_File& file);
bool KXKernal_OpenFileWithCallback(const char* szFileName, void* pContext, KXKernal_OpenFileCallback pfnCallback);

// Moves the disk file szOldName to szNewName when the old one can be opened and the new one cannot.
bool KXKernal_RenameFile(const char* szNewName, const char* szOldName);

// Deletes the disk file when the path can be opened.
bool KXKernal_DeleteFile(const char* szFileName);

// How many times OpenDiskFile has been called in this process; lets tests and benchmarks prove that a
// lookup inside an open archive does not touch the disk.
uint64_t KXKernal_GetDiskOpenCount();
