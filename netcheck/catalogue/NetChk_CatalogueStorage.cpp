// CNetChk_Catalogue: the encrypted local copy net_check.xml beside the executable.
#include "netcheck/catalogue/NetChk_Catalogue.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include <cstdio>

void CNetChk_Catalogue::writeEncryptXml(const std::string& strPlain) {
    static const char kTag[] = "CNetChk_CommandMgr::writeEncryptXml";
    const std::string strStored = NetChk_StorageCipher::EncryptString(strPlain, NetChk_CatalogueKey::kBuiltInKey);
    const std::string strPath = GetLocalCopyPath();
    // Written beside the copy and renamed over it, so a crash mid-write never destroys the last good one.
    const std::string strTemp = strPath + ".tmp";
    std::FILE* pFile = std::fopen(strTemp.c_str(), "wb");
    if (!pFile) {
        // The line names the copy, as operators look for it; the temporary file is ours alone.
        ArkLog(WL_ERROR, M_Common, "%s %s打开失败", kTag, strPath.c_str());
        return;
    }
    const bool bWritten = std::fwrite(strStored.data(), 1, strStored.size(), pFile) == strStored.size();
    const bool bClosed = std::fclose(pFile) == 0;
    if (!bWritten || !bClosed) {
        ArkLog(WL_ERROR, M_Common, "%s %s写入失败", kTag, strTemp.c_str());
        KXPlatform::DeleteFile(strTemp.c_str());
        return;
    }
    if (!KXPlatform::ReplaceFile(strTemp.c_str(), strPath.c_str())) {
        ArkLog(WL_ERROR, M_Common, "%s %s打开失败", kTag, strPath.c_str());
        KXPlatform::DeleteFile(strTemp.c_str());
    }
}

std::string CNetChk_Catalogue::loadEncryptXml() {
    static const char kTag[] = "CNetChk_CommandMgr::loadEncryptXml";
    const std::string strPath = GetLocalCopyPath();
    // A directory of that name would open but has no size to read.
    std::FILE* pFile = KXPlatform::GetFileAttributes(strPath.c_str()).bDirectory ? nullptr : std::fopen(strPath.c_str(), "rb");
    if (!pFile) {
        ArkLog(WL_ERROR, M_Common, "%s %s打开失败", kTag, strPath.c_str());
        return std::string();
    }
    // Catalogues are kilobytes; a copy beyond this is damaged and reads as nothing.
    constexpr long kMaxStoredBytes = 64L * 1024 * 1024;
    std::string strStored;
    long lSize = -1;
    if (std::fseek(pFile, 0, SEEK_END) == 0) lSize = std::ftell(pFile);
    if (lSize > 0 && lSize <= kMaxStoredBytes && std::fseek(pFile, 0, SEEK_SET) == 0) {
        strStored.resize(static_cast<size_t>(lSize));
        strStored.resize(std::fread(&strStored[0], 1, strStored.size(), pFile));
    }
    std::fclose(pFile);
    return NetChk_StorageCipher::DecryptString(strStored, NetChk_CatalogueKey::kBuiltInKey);
}
