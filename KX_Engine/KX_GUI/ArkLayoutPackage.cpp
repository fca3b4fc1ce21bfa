// CArkLayoutPackage: reading the root file and the component files through the file layer.
#include "KX_GUI/ArkLayoutPackage.h"

#include <cstring>

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"

namespace ArkGui {

namespace {

uint32_t ReadU32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

bool OnRootBytes(void* pContext, const char* pData, uint32_t uSize) {
    return CArkLayoutPackage::ParseRoot(pData, uSize, *static_cast<std::vector<std::string>*>(pContext));
}

// The component's bytes are parsed into the template only while it is still empty.
bool OnComponentBytes(void* pContext, const char* pData, uint32_t uSize) {
    auto* pTemplate = static_cast<CArkLayoutTemplate*>(pContext);
    if (pTemplate->IsLoaded()) return true;
    return ParseLayoutComponent(pData, uSize, *pTemplate);
}

}  // namespace

bool CArkLayoutPackage::ParseRoot(const char* pData, uint32_t uSize, std::vector<std::string>& vecNames) {
    vecNames.clear();
    if (!pData || uSize < 12) return false;
    uint32_t uCount = ReadU32(pData + 8);
    if (ReadU32(pData) != kMagic || ReadU32(pData + 4) != kVersion) return false;
    // The count is signed in the format: zero and negative counts load nothing.
    if (uCount == 0 || uCount > 0x7FFFFFFFu) return false;
    uint32_t uPos = 12;
    for (uint32_t i = 0; i < uCount; ++i) {
        if (uSize - uPos < 4) return false;
        uint32_t uLen = ReadU32(pData + uPos);
        uPos += 4;
        if (uLen == 0 || uLen > ARK_LAYOUT_NAME_MAX || uLen > uSize - uPos) return false;
        // A name is used as a C string (the template's name, its component's path): bytes after a NUL
        // name nothing, and a name that is empty before its NUL is as damaged as an empty field.
        const size_t uNameLen = strnlen(pData + uPos, uLen);
        if (uNameLen == 0) return false;
        vecNames.emplace_back(pData + uPos, uNameLen);
        uPos += uLen;
    }
    return true;
}

bool CArkLayoutPackage::Load(const char* szRootPath) {
    Clear();
    if (!szRootPath) return false;
    std::vector<std::string> vecNames;
    if (!KXKernal_ReadFileWithCallback(szRootPath, &vecNames, OnRootBytes)) {
        ArkLog(WL_ERROR, M_Common, "%s cannot load the layout root %s", "CArkLayoutPackage::Load", szRootPath);
        vecNames.clear();
        return false;
    }
    m_strRoot = szRootPath;
    for (const std::string& strName : vecNames) {
        if (m_mapTemplates.count(strName)) continue;  // a repeated name keeps its first template
        auto pTemplate = std::make_unique<CArkLayoutTemplate>();
        pTemplate->SetString(ARK_LS_NAME, strName);
        CArkLayoutTemplate& tmpl = *pTemplate;
        m_vecNames.push_back(strName);
        m_mapTemplates.emplace(strName, std::move(pTemplate));
        LoadComponent(tmpl);
    }
    return true;
}

void CArkLayoutPackage::Clear() {
    m_strRoot.clear();
    m_vecNames.clear();
    m_mapTemplates.clear();
}

std::string CArkLayoutPackage::ComponentPath(const std::string& strName) const {
    std::string strBase = m_strRoot.size() >= 3 ? m_strRoot.substr(0, m_strRoot.size() - 3) : std::string();
    return strBase + strName + ".auc";
}

bool CArkLayoutPackage::LoadComponent(CArkLayoutTemplate& tmpl) {
    std::string strPath = ComponentPath(tmpl.GetName());
    if (KXKernal_ReadFileWithCallback(strPath.c_str(), &tmpl, OnComponentBytes) && tmpl.IsLoaded()) return true;
    ArkLog(WL_ERROR, M_Common, "%s cannot load the layout component %s", "CArkLayoutPackage::LoadComponent",
           strPath.c_str());
    return false;
}

CArkLayoutTemplate* CArkLayoutPackage::FindTemplate(const char* szName) {
    if (!szName) return nullptr;
    auto it = m_mapTemplates.find(szName);
    if (it == m_mapTemplates.end()) return nullptr;
    CArkLayoutTemplate& tmpl = *it->second;
    if (tmpl.IsLoaded() || LoadComponent(tmpl)) return &tmpl;
    return nullptr;
}

const CArkLayoutTemplate* CArkLayoutPackage::PeekTemplate(const std::string& strName) const {
    auto it = m_mapTemplates.find(strName);
    return it == m_mapTemplates.end() ? nullptr : it->second.get();
}

}  // namespace ArkGui
