// CKXKernal_File_Pack, one open pack archive (.wdf), and the table of open archives.
#pragma once

#include "KX_Kernal/fileandpath/KXKernal_HashName.h"
#include "KX_Kernal/fileandpath/KXKernal_MultithreadFile.h"
#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"
#include "KX_Kernal/fileandpath/KXKernal_PackFormat.h"
#include "KX_Kernal/misc/KXKernal_Lock.h"

#include <map>
#include <memory>

// An archive keeps its own disk file open for its whole life and hands out byte ranges of it. Archives
// opened through Open stay in the table of open archives until the process ends.
class CKXKernal_File_Pack {
public:
    virtual ~CKXKernal_File_Pack();
    CKXKernal_File_Pack(const CKXKernal_File_Pack&) = delete;
    CKXKernal_File_Pack& operator=(const CKXKernal_File_Pack&) = delete;

    // The inner file whose HashName matches; none when the index has no such entry. No disk access.
    virtual std::unique_ptr<CKXKernal_Multithread_File> Find(const char* szInnerPath);

    // The archive from the table of open archives (keyed by HashName of the path), or opened, checked
    // and registered now. None (and nothing registered) when it cannot be opened or is not a valid
    // archive. The result lives until the process ends.
    static CKXKernal_File_Pack* Open(const char* szArchivePath);

    // Opens the archive with mode "rb+" and reads its index as Open does; the caller owns the result,
    // which is not registered.
    static std::unique_ptr<CKXKernal_File_Pack> OpenForWrite(const char* szArchivePath);

    bool IsScrambled() const { return m_bScrambled; }
    // The archive path without ".wdf", followed by "/".
    const std::string& GetBaseName() const { return m_strBaseName; }
    // Index entries by name hash, as read (entries refused while loading are not in it).
    const std::map<uint32_t, KXKernal_PackEntry>& GetEntries() const { return m_mapIndex; }
    CKXKernal_File* GetDiskFile() { return m_pFile.get(); }

    // For tests only: closes and forgets every registered archive, so that a test can rewrite an archive
    // under a path used before. Every file found in those archives must have been released.
    static void ForgetOpenPacksForTests();

private:
    CKXKernal_File_Pack() = default;
    // Reads and checks the header and the index from pFile; false (after a log line) when the archive
    // is refused.
    bool Load(std::unique_ptr<CKXKernal_File> pFile, const char* szArchivePath);
    bool LoadIndex(const KXKernal_PackHeader& header, const char* szArchivePath);

    bool m_bScrambled = false;
    std::map<uint32_t, KXKernal_PackEntry> m_mapIndex;
    std::unique_ptr<CKXKernal_File> m_pFile;
    CKXKernal_PackIndexCipher m_cipher;
    std::string m_strBaseName;
    CKXKernal_CriticalSection m_lock;  // serialises seek-and-read on the shared stream
};
