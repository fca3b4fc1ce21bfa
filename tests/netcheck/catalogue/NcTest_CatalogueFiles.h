// Builders of the catalogue's files for tests: descriptors, plain and stored documents, file:// URLs.
#pragma once

#include "common/NcTest_TempDir.h"
#include "netcheck/catalogue/NetChk_CatalogueKey.h"
#include "netcheck/catalogue/NetChk_StorageCipher.h"

#include <string>
#include <utility>
#include <vector>

namespace cataloguefiles {

inline std::string FileUrl(const std::string& strPath) { return "file://" + strPath; }

// patch/update_url.xml under the directory, with the given (element name, address) children.
inline void WriteDescriptor(const std::string& strExeDir, const std::vector<std::pair<std::string, std::string>>& children) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<update>\n";
    for (const auto& child : children) xml += "  <" + child.first + ">" + child.second + "</" + child.first + ">\n";
    xml += "</update>\n";
    WriteTestFile(strExeDir + "/patch/update_url.xml", xml);
}

// A well-formed document; commandsXml goes inside Commands.
inline std::string Document(const std::string& commandsXml, const std::string& useOld = "0") {
    return "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<NetCheck>\n  <Config><UseOld>" + useOld +
           "</UseOld><ShowAdvice>1</ShowAdvice></Config>\n  <Commands>\n" + commandsXml + "  </Commands>\n</NetCheck>\n";
}

inline std::string Command(int nType, const std::string& value, const std::string& tips) {
    return "    <Cmd type=\"" + std::to_string(nType) + "\" value=\"" + value + "\" tips=\"" + tips + "\"/>\n";
}

inline std::string Stored(const std::string& plain) {
    return NetChk_StorageCipher::EncryptString(plain, NetChk_CatalogueKey::kBuiltInKey);
}

inline std::string Plain(const std::string& stored) {
    return NetChk_StorageCipher::DecryptString(stored, NetChk_CatalogueKey::kBuiltInKey);
}

}  // namespace cataloguefiles
