// CKXKernal_File_Pack: opening and checking an archive, its index, and the table of open archives.
#include "KX_Kernal/fileandpath/KXKernal_FilePack.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"

#include <vector>

namespace {

// Open archives by HashName of their path; they live until the process ends.
struct PackTable {
    CKXKernal_CriticalSection lock;
    std::map<uint32_t, std::unique_ptr<CKXKernal_File_Pack>> mapPacks;
};

PackTable& OpenPacks() {
    static PackTable* pTable = new PackTable;  // never destroyed: files may be read until exit
    return *pTable;
}

std::string BaseNameOf(const char* szArchivePath) {
    std::string strBase = szArchivePath;
    const size_t uLen = strBase.size();
    if (uLen >= 4 && strBase.compare(uLen - 4, 4, ".wdf") == 0) strBase.resize(uLen - 4);
    return strBase + "/";
}

}  // namespace

CKXKernal_File_Pack::~CKXKernal_File_Pack() = default;

std::unique_ptr<CKXKernal_Multithread_File> CKXKernal_File_Pack::Find(const char* szInnerPath) {
    if (!szInnerPath || !m_pFile) return nullptr;
    const auto it = m_mapIndex.find(HashName(szInnerPath));
    if (it == m_mapIndex.end()) return nullptr;
    const KXKernal_PackEntry& entry = it->second;
    const int32_t nBegin = static_cast<int32_t>(entry.uOffset);
    const int32_t nEnd = static_cast<int32_t>(entry.uOffset + entry.uSize);  // checked in LoadIndex
    return std::make_unique<CKXKernal_Multithread_File>(m_pFile->GetHandle(), m_strBaseName + szInnerPath,
                                                        m_bScrambled, nBegin, nEnd, &m_lock);
}

CKXKernal_File_Pack* CKXKernal_File_Pack::Open(const char* szArchivePath) {
    if (!szArchivePath) return nullptr;
    const uint32_t uHash = HashName(szArchivePath);
    PackTable& table = OpenPacks();
    KXKERNAL_AUTOLOCK(table.lock);
    const auto it = table.mapPacks.find(uHash);
    if (it != table.mapPacks.end()) return it->second.get();

    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile(szArchivePath, "rb");
    if (!pFile) return nullptr;
    std::unique_ptr<CKXKernal_File_Pack> pPack(new CKXKernal_File_Pack);
    if (!pPack->Load(std::move(pFile), szArchivePath)) return nullptr;
    CKXKernal_File_Pack* pResult = pPack.get();
    table.mapPacks[uHash] = std::move(pPack);
    return pResult;
}

std::unique_ptr<CKXKernal_File_Pack> CKXKernal_File_Pack::OpenForWrite(const char* szArchivePath) {
    if (!szArchivePath) return nullptr;
    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile(szArchivePath, "rb+");
    if (!pFile) return nullptr;
    std::unique_ptr<CKXKernal_File_Pack> pPack(new CKXKernal_File_Pack);
    if (!pPack->Load(std::move(pFile), szArchivePath)) return nullptr;
    return pPack;
}

void CKXKernal_File_Pack::ForgetOpenPacksForTests() {
    PackTable& table = OpenPacks();
    KXKERNAL_AUTOLOCK(table.lock);
    table.mapPacks.clear();
}

bool CKXKernal_File_Pack::Load(std::unique_ptr<CKXKernal_File> pFile, const char* szArchivePath) {
    m_pFile = std::move(pFile);
    uint8_t aHeader[KXKERNAL_PACK_HEADER_SIZE];
    if (m_pFile->Read(aHeader, 1, sizeof(aHeader)) < sizeof(aHeader)) {
        ArkLog(WL_MUST, M_Logic, "%s Lumo%d", "CKXKernal_File_Pack::Open", 544);
        return false;
    }
    m_cipher.Descramble(aHeader);
    const KXKernal_PackHeader header = KXKernal_DecodePackHeader(aHeader);
    if (header.uMagic != KXKERNAL_PACK_MAGIC) {
        ArkLog(WL_MUST, M_Logic, "%s Lumo%d", "CKXKernal_File_Pack::Open", 553);
        return false;
    }
    if (header.nCount > 0 && !LoadIndex(header, szArchivePath)) return false;
    m_bScrambled = header.bScrambled;
    m_strBaseName = BaseNameOf(szArchivePath);
    return true;
}

// Two guards keep a damaged archive from reading outside its file: an index that needs more bytes than
// the file holds is refused as a whole (so an absurd count never allocates or loops), and an entry whose
// contents would overlap the header or run past the end of the file is left out, so its name is simply
// not found.
bool CKXKernal_File_Pack::LoadIndex(const KXKernal_PackHeader& header, const char* szArchivePath) {
    const uint64_t uFileSize = static_cast<uint64_t>(m_pFile->GetSize());
    const uint64_t uIndexBytes = static_cast<uint64_t>(header.nCount) * KXKERNAL_PACK_ENTRY_SIZE;
    if (header.uIndexOffset + uIndexBytes > uFileSize) {
        ArkLog(WL_MUST, M_Logic, "%s %s index of %d entries at %u lies beyond the end of the file (%llu bytes)",
               "CKXKernal_File_Pack::Open", szArchivePath, header.nCount, header.uIndexOffset,
               static_cast<unsigned long long>(uFileSize));
        return false;
    }
    std::vector<uint8_t> vecIndex(static_cast<size_t>(uIndexBytes));
    m_pFile->Seek(static_cast<int32_t>(header.uIndexOffset));
    if (m_pFile->Read(vecIndex.data(), 1, static_cast<uint32_t>(uIndexBytes)) != uIndexBytes) {
        ArkLog(WL_MUST, M_Logic, "%s %s index cannot be read", "CKXKernal_File_Pack::Open", szArchivePath);
        return false;
    }
    uint32_t uRefused = 0;
    for (size_t uPos = 0; uPos < vecIndex.size(); uPos += KXKERNAL_PACK_ENTRY_SIZE) {
        m_cipher.Descramble(&vecIndex[uPos]);
        const KXKernal_PackEntry entry = KXKernal_DecodePackEntry(&vecIndex[uPos]);
        if (entry.uOffset < KXKERNAL_PACK_HEADER_SIZE ||
            static_cast<uint64_t>(entry.uOffset) + entry.uSize > uFileSize) {
            ++uRefused;
            continue;
        }
        m_mapIndex[entry.uHash] = entry;  // a later entry with the same hash replaces the earlier
    }
    if (uRefused) {
        ArkLog(WL_ERROR, M_Logic, "%s %s %u entries lie outside the file and are left out",
               "CKXKernal_File_Pack::Open", szArchivePath, uRefused);
    }
    return true;
}
