// Reading a whole resource file (image, font) by name for the renderer, through the file layer, so
// that images and fonts may come from the pack archives as every other data file.
#include "KX_Renderer/KXRenderer_ReadFile.h"

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace KXRenderer {

bool ReadResourceFile(const char* szTag, const char* szName, std::vector<unsigned char>& vecData) {
    vecData.clear();
    if (!szName || !*szName) {
        ArkLog(WL_ERROR, M_Engine, "%s empty file name", szTag);
        return false;
    }
    std::unique_ptr<CKXKernal_File> pFile = OpenFile(szName, true);
    if (!pFile) {
        ArkLog(WL_ERROR, M_Engine, "%s cannot open %s", szTag, szName);
        return false;
    }
    const int32_t nSize = pFile->GetSize();
    if (nSize <= 0) {
        ArkLog(WL_ERROR, M_Engine, "%s %s is empty", szTag, szName);
        return false;
    }
    vecData.resize(static_cast<size_t>(nSize));
    if (pFile->Read(vecData.data(), 1, static_cast<uint32_t>(nSize)) != static_cast<uint32_t>(nSize)) {
        vecData.clear();
        ArkLog(WL_ERROR, M_Engine, "%s cannot read %s", szTag, szName);
        return false;
    }
    return true;
}

}  // namespace KXRenderer
