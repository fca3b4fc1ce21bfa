// CKXKernal_PackWriter: laying out, scrambling and writing a pack archive.
#include "KX_Kernal/fileandpath/KXKernal_PackWriter.h"

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/fileandpath/KXKernal_HashName.h"
#include "KX_Kernal/fileandpath/KXKernal_PackCipher.h"
#include "KX_Kernal/fileandpath/KXKernal_PackFormat.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

#include <climits>
#include <memory>

namespace {

bool ReadSource(const std::string& strPath, std::string& strBytes) {
    std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile(strPath.c_str(), "rb");
    if (!pFile) return false;
    strBytes.resize(static_cast<size_t>(pFile->GetSize()));
    if (strBytes.empty()) return true;
    return pFile->Read(&strBytes[0], 1, static_cast<uint32_t>(strBytes.size())) == strBytes.size();
}

// The name as the reader sees it: case and separators do not matter, so such paths are the same file.
std::string FoldName(const std::string& strPath) {
    std::string strFolded = strPath;
    for (char& c : strFolded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        else if (c == '\\') c = '/';
    }
    return strFolded;
}

}  // namespace

bool CKXKernal_PackWriter::AddBytes(const std::string& strInnerPath, const std::string& strBytes) {
    return Add(Item{strInnerPath, strBytes, std::string()});
}

bool CKXKernal_PackWriter::AddFile(const std::string& strInnerPath, const std::string& strSourcePath) {
    return Add(Item{strInnerPath, std::string(), strSourcePath});
}

bool CKXKernal_PackWriter::Add(Item item) {
    if (item.strInnerPath.empty() || item.strInnerPath.size() > 255) {
        ArkLog(WL_ERROR, M_Kernel, "%s bad inner path [%s]", "CKXKernal_PackWriter::Add", item.strInnerPath.c_str());
        return false;
    }
    const uint32_t uHash = HashName(item.strInnerPath.c_str());
    const auto it = m_mapByHash.find(uHash);
    if (it == m_mapByHash.end()) {
        m_mapByHash[uHash] = m_vecItems.size();
        m_vecItems.push_back(std::move(item));
        return true;
    }
    Item& existing = m_vecItems[it->second];
    if (FoldName(existing.strInnerPath) != FoldName(item.strInnerPath)) {
        ArkLog(WL_ERROR, M_Kernel, "%s [%s] and [%s] have the same name hash %08x", "CKXKernal_PackWriter::Add",
               existing.strInnerPath.c_str(), item.strInnerPath.c_str(), uHash);
        return false;
    }
    existing = std::move(item);
    return true;
}

bool CKXKernal_PackWriter::Write(const char* szArchivePath, bool bScrambleContents) const {
    if (!szArchivePath) return false;
    bool bOk = false;
    {
        std::unique_ptr<CKXKernal_File> pFile = OpenDiskFile(szArchivePath, "wb");
        if (!pFile) {
            ArkLog(WL_ERROR, M_Kernel, "%s cannot create %s", "CKXKernal_PackWriter::Write", szArchivePath);
            return false;
        }
        bOk = WriteTo(*pFile, bScrambleContents);
    }  // closed before a failed archive is removed
    if (!bOk) KXPlatform::DeleteFile(szArchivePath);
    return bOk;
}

bool CKXKernal_PackWriter::WriteTo(CKXKernal_File& file, bool bScrambleContents) const {
    static const char* const kTag = "CKXKernal_PackWriter::Write";
    uint8_t aBlock[KXKERNAL_PACK_HEADER_SIZE] = {};
    if (file.Write(aBlock, 1, sizeof(aBlock)) != sizeof(aBlock)) {  // the header is written last
        ArkLog(WL_ERROR, M_Kernel, "%s cannot write %s", kTag, file.GetFileName().c_str());
        return false;
    }

    std::vector<KXKernal_PackEntry> vecEntries;
    vecEntries.reserve(m_vecItems.size());
    std::string strSource;
    for (const Item& item : m_vecItems) {
        const std::string* pBytes = &item.strBytes;
        if (!item.strSourcePath.empty()) {
            if (!ReadSource(item.strSourcePath, strSource)) {
                ArkLog(WL_ERROR, M_Kernel, "%s cannot read %s", kTag, item.strSourcePath.c_str());
                return false;
            }
            pBytes = &strSource;
        }
        const int32_t nOffset = file.GetCurTell();
        const uint64_t uIndexEnd = static_cast<uint64_t>(nOffset) + pBytes->size() +
                                   static_cast<uint64_t>(m_vecItems.size()) * KXKERNAL_PACK_ENTRY_SIZE;
        if (uIndexEnd > INT32_MAX) {
            ArkLog(WL_ERROR, M_Kernel, "%s %s would pass 2 GB", kTag, file.GetFileName().c_str());
            return false;
        }
        std::string strStored = *pBytes;
        if (bScrambleContents && !strStored.empty()) {
            KXKernal_PackScrambleContents(reinterpret_cast<uint8_t*>(&strStored[0]),
                                          static_cast<uint32_t>(strStored.size()), nOffset);
        }
        if (!strStored.empty() &&
            file.Write(strStored.data(), 1, static_cast<uint32_t>(strStored.size())) != strStored.size()) {
            ArkLog(WL_ERROR, M_Kernel, "%s cannot write %s", kTag, file.GetFileName().c_str());
            return false;
        }
        KXKernal_PackEntry entry;
        entry.uHash = HashName(item.strInnerPath.c_str());
        entry.uSize = static_cast<uint32_t>(strStored.size());
        entry.uOffset = static_cast<uint32_t>(nOffset);
        vecEntries.push_back(entry);
    }

    // Header and index go through one cipher in file order: header first, then every entry.
    KXKernal_PackHeader header;
    header.bScrambled = bScrambleContents;
    header.nCount = static_cast<int32_t>(vecEntries.size());
    header.uIndexOffset = static_cast<uint32_t>(file.GetCurTell());
    CKXKernal_PackIndexCipher cipher;
    KXKernal_EncodePackHeader(header, aBlock);
    cipher.Scramble(aBlock);
    std::vector<uint8_t> vecIndex(vecEntries.size() * KXKERNAL_PACK_ENTRY_SIZE);
    for (size_t i = 0; i < vecEntries.size(); ++i) {
        KXKernal_EncodePackEntry(vecEntries[i], &vecIndex[i * KXKERNAL_PACK_ENTRY_SIZE]);
        cipher.Scramble(&vecIndex[i * KXKERNAL_PACK_ENTRY_SIZE]);
    }
    const bool bIndexOk = vecIndex.empty() || file.Write(vecIndex.data(), 1, static_cast<uint32_t>(vecIndex.size())) == vecIndex.size();
    file.Seek(0);
    const bool bHeaderOk = file.Write(aBlock, 1, sizeof(aBlock)) == sizeof(aBlock);
    if (!bIndexOk || !bHeaderOk || std::fflush(file.GetHandle()) != 0) {
        ArkLog(WL_ERROR, M_Kernel, "%s cannot write %s", kTag, file.GetFileName().c_str());
        return false;
    }
    return true;
}
