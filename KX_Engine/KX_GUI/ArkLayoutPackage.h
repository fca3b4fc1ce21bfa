// CArkLayoutPackage: the templates named by a layout root file ("interface/netchkroot.auf"), each
// parsed from its component file beside the root, read through the file layer (pack or disk).
//
// Root file, all integers 32-bit little-endian: magic 0x00465541 ("AUF\0"), version 10004, a positive
// component count, then per component a name (length, then at most 255 bytes). A component's file is the
// root's path without its last three characters, then the name and ".auc".
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KX_GUI/ArkLayoutTemplate.h"

namespace ArkGui {

class CArkLayoutPackage {
public:
    static constexpr uint32_t kMagic = 0x00465541u;
    static constexpr uint32_t kVersion = 10004u;

    // Reads the root and every component it names. False (and no templates) when the root cannot be
    // read or is damaged; a component that cannot be read or parsed leaves its template empty.
    bool Load(const char* szRootPath);
    void Clear();

    // The template of a component; an empty one is read and parsed again now. Null when the name is
    // unknown or the component still cannot be loaded.
    CArkLayoutTemplate* FindTemplate(const char* szName);
    // Component names in root order.
    const std::vector<std::string>& GetNames() const { return m_vecNames; }
    // The template without trying to load it (null for an unknown name).
    const CArkLayoutTemplate* PeekTemplate(const std::string& strName) const;
    const std::string& GetRootPath() const { return m_strRoot; }
    std::string ComponentPath(const std::string& strName) const;

    // The names of a root file's bytes; false when they are damaged.
    static bool ParseRoot(const char* pData, uint32_t uSize, std::vector<std::string>& vecNames);

private:
    bool LoadComponent(CArkLayoutTemplate& tmpl);

    std::string m_strRoot;
    std::vector<std::string> m_vecNames;
    std::map<std::string, std::unique_ptr<CArkLayoutTemplate>> m_mapTemplates;
};

}  // namespace ArkGui
