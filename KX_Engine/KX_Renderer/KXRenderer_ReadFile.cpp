// Reading a whole resource file (image, font) by name for the renderer.
#include "KX_Renderer/KXRenderer_ReadFile.h"

#include <cstdio>

#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace KXRenderer {

bool ReadResourceFile(const char* szTag, const char* szName, std::vector<unsigned char>& vecData) {
    vecData.clear();
    if (!szName || !*szName) {
        ArkLog(WL_ERROR, M_Engine, "%s empty file name", szTag);
        return false;
    }
    std::FILE* pFile = std::fopen(szName, "rb");
    if (!pFile) {
        ArkLog(WL_ERROR, M_Engine, "%s cannot open %s", szTag, szName);
        return false;
    }
    bool bOk = std::fseek(pFile, 0, SEEK_END) == 0;
    long nSize = bOk ? std::ftell(pFile) : -1;
    bOk = bOk && nSize >= 0 && std::fseek(pFile, 0, SEEK_SET) == 0;
    if (bOk) {
        vecData.resize(static_cast<size_t>(nSize));
        bOk = nSize == 0 || std::fread(vecData.data(), 1, vecData.size(), pFile) == vecData.size();
    }
    std::fclose(pFile);
    if (!bOk) {
        vecData.clear();
        ArkLog(WL_ERROR, M_Engine, "%s cannot read %s", szTag, szName);
    }
    return bOk;
}

}  // namespace KXRenderer
