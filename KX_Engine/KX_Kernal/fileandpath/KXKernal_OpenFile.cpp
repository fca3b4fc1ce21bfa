// OpenFile and OpenDiskFile: finding a file on disk or in a pack archive.
#include "KX_Kernal/fileandpath/KXKernal_File.h"

#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"
#include "KX_Kernal/fileandpath/KXKernal_FileRecorder.h"
#include "KX_Kernal/fileandpath/KXKernal_Path.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Kernal/misc/KXKernal_Lock.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <atomic>
#include <climits>
#include <cstring>

namespace {

std::atomic<bool> g_bReadPackFirst{true};
std::atomic<uint64_t> g_uDiskOpens{0};

// Held for a whole pack lookup, so that an archive is opened and registered once even when several
// threads look at the same time.
CKXKernal_CriticalSection& PackLookupLock() {
    static CKXKernal_CriticalSection* pLock = new CKXKernal_CriticalSection;
    return *pLock;
}

std::unique_ptr<CKXKernal_File> OpenInArchive(const std::string& strArchive, const char* szInner,
                                              CKXKernal_File_Pack*& pPack) {
    pPack = CKXKernal_File_Pack::Open(strArchive.c_str());
    return pPack ? pPack->Find(szInner) : nullptr;
}

// "interface/netchkroot.auf" is looked up as "netchkroot.auf" in "interface.wdf". Only when that archive
// cannot be opened is the path split at its second "/" instead ("a/b/c.x": "c.x" in "a/b.wdf"); a name
// missing from an archive that did open ends the lookup.
std::unique_ptr<CKXKernal_File> OpenFromPack(const char* szPath) {
    KXKERNAL_AUTOLOCK(PackLookupLock());
    const char* pFirst = std::strchr(szPath, '/');
    if (!pFirst) return nullptr;
    CKXKernal_File_Pack* pPack = nullptr;
    std::unique_ptr<CKXKernal_File> pFile = OpenInArchive(std::string(szPath, pFirst) + ".wdf", pFirst + 1, pPack);
    if (pPack) return pFile;
    const char* pSecond = std::strchr(pFirst + 1, '/');
    if (!pSecond) return nullptr;
    return OpenInArchive(std::string(szPath, pSecond) + ".wdf", pSecond + 1, pPack);
}

// The pack-first switch decides the order; without packs only the disk counts.
std::unique_ptr<CKXKernal_File> OpenNormalized(const char* szPath, bool bPackAllowed) {
    if (!bPackAllowed) return OpenDiskFile(szPath, "rb");
    if (GetReadPackFirst()) {
        std::unique_ptr<CKXKernal_File> pFile = OpenFromPack(szPath);
        return pFile ? std::move(pFile) : OpenDiskFile(szPath, "rb");
    }
    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile(szPath, "rb");
    return pFile ? std::move(pFile) : OpenFromPack(szPath);
}

}  // namespace

void SetReadPackFirst(bool bPackFirst) { g_bReadPackFirst = bPackFirst; }

bool GetReadPackFirst() { return g_bReadPackFirst; }

uint64_t KXKernal_GetDiskOpenCount() { return g_uDiskOpens; }

std::unique_ptr<CKXKernal_File> OpenDiskFile(const char* szFileName, const char* szMode) {
    if (!szFileName || !szMode) return nullptr;
    ++g_uDiskOpens;
    // stdio opens a directory for reading on some systems; it is never a file here.
    if (KXPlatform::GetFileAttributes(szFileName).bDirectory) return nullptr;
    std::FILE* fFile = KXPlatform::OpenFileStream(szFileName, szMode);
    if (!fFile) return nullptr;
    long nLength = -1;
    if (std::fseek(fFile, 0, SEEK_END) == 0) nLength = std::ftell(fFile);
    if (nLength < 0 || nLength > INT32_MAX) {
        // Ranges are 32-bit, as in the archive format.
        ArkLog(WL_ERROR, M_Kernel, "%s %s cannot be used: length %ld", "OpenDiskFile", szFileName, nLength);
        std::fclose(fFile);
        return nullptr;
    }
    std::rewind(fFile);
    return std::make_unique<CKXKernal_File>(fFile, szFileName, false, 0, static_cast<int32_t>(nLength));
}

std::unique_ptr<CKXKernal_File> OpenFile(const char* szFileName, bool bPackAllowed) {
    if (!szFileName) return nullptr;
    char szPath[KXKERNAL_MAX_PATH];
    if (!NormalizePath(szFileName, szPath, sizeof(szPath))) return nullptr;
    std::unique_ptr<CKXKernal_File> pFile = OpenNormalized(szPath, bPackAllowed);
    if (pFile) KXKernal_RecordFileAccess(szPath, pFile->GetSize());
    return pFile;
}
