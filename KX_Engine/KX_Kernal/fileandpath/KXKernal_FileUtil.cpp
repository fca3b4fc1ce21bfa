// Whole-file helpers built on OpenFile: read, callbacks, existence, rename and delete.
#include "KX_Kernal/fileandpath/KXKernal_File.h"

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_FileSystem.h"

bool ReadWholeFile(const char* szFileName, std::unique_ptr<char[]>& pBuffer, uint32_t& uSize) {
    std::unique_ptr<CKXKernal_File> pFile = OpenFile(szFileName, true);
    if (!pFile) return false;
    const int32_t nSize = pFile->GetSize();
    const uint32_t uWant = nSize > 0 ? static_cast<uint32_t>(nSize) : 0;
    pBuffer.reset(new char[uWant + 1]);
    uSize = uWant ? pFile->Read(pBuffer.get(), 1, uWant) : 0;
    pBuffer[uSize] = '\0';
    return true;
}

bool FileExists(const char* szFileName) { return OpenFile(szFileName, true) != nullptr; }

bool KXKernal_ReadFileWithCallback(const char* szFileName, void* pContext, KXKernal_FileDataCallback pfnCallback) {
    std::unique_ptr<char[]> pBuffer;
    uint32_t uSize = 0;
    if (!pfnCallback || !ReadWholeFile(szFileName, pBuffer, uSize)) return false;
    return pfnCallback(pContext, pBuffer.get(), uSize);
}

bool KXKernal_OpenFileWithCallback(const char* szFileName, void* pContext, KXKernal_OpenFileCallback pfnCallback) {
    std::unique_ptr<CKXKernal_File> pFile = OpenFile(szFileName, true);
    if (!pFile) {
        ArkLog(WL_ERROR, M_Logic, "%s open %s failed", "KXKernal_OpenFileWithCallback", szFileName ? szFileName : "(null)");
        return false;
    }
    return pfnCallback ? pfnCallback(pContext, *pFile) : false;
}

bool KXKernal_RenameFile(const char* szNewName, const char* szOldName) {
    if (!FileExists(szOldName) || FileExists(szNewName)) return false;
    return KXPlatform::MoveFile(szOldName, szNewName);
}

bool KXKernal_DeleteFile(const char* szFileName) {
    if (!FileExists(szFileName)) return false;
    return KXPlatform::DeleteFile(szFileName);
}
