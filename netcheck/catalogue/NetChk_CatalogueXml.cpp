// TinyXML-2 readers of the update descriptor and of the new-format catalogue document.
//
// TinyXML-2 reads a buffer of a given length and treats text as bytes: GBK lead bytes never make it
// step past the end of a value, whatever the declaration or a byte-order mark say. Its parse is linear
// in the document and refuses nesting deeper than TINYXML2_MAX_ELEMENT_DEPTH. Whitespace in element
// text is collapsed (runs to one blank, none at the ends), so "<UseOld> 1 </UseOld>" reads "1";
// attribute values keep theirs.
#include "netcheck/catalogue/NetChk_CatalogueXml.h"

#include <tinyxml2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace NetChk_CatalogueXml {

namespace {

// Element start tags: "<" followed by anything but "/", "!" or "?", wherever it stands. Only elements
// nest, so this is an upper bound of the depth that no comment, CDATA or "/>" in an attribute can lower.
size_t CountElementTags(const std::string& strText) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < strText.size(); ++i) {
        if (strText[i] != '<') continue;
        const char next = strText[i + 1];
        if (next != '/' && next != '!' && next != '?') ++n;
    }
    return n;
}

// The text of a child element, or null when the child is missing or has no text.
const char* ChildText(const tinyxml2::XMLElement* pParent, const char* szName) {
    const tinyxml2::XMLElement* pChild = pParent->FirstChildElement(szName);
    return pChild ? pChild->GetText() : nullptr;
}

// Parses the bytes up to the first NUL (a NUL ends a document, as it always did here). On any error the
// document is left empty, so a truncated download never yields half a catalogue.
void ParseText(const std::string& strText, tinyxml2::XMLDocument& doc) {
    doc.Parse(strText.data(), std::strlen(strText.c_str()));
}

// atoi: leading blanks, an optional sign, digits up to the first other character, 0 without digits.
int32_t ParseType(const char* szText) { return static_cast<int32_t>(std::strtol(szText, nullptr, 10)); }

// The descriptor is a few hundred bytes; anything past a megabyte is not one.
bool ReadSmallFile(const std::string& strPath, std::string& strText) {
    constexpr size_t kLimit = 1024 * 1024;
    std::FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (!pFile) return false;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pFile)) > 0 && strText.size() <= kLimit) strText.append(buf, n);
    const bool bOk = !std::ferror(pFile) && strText.size() <= kLimit;
    std::fclose(pFile);
    return bOk;
}

}  // namespace

DescriptorStatus ReadUpdateDescriptor(const std::string& strPath, std::vector<std::string>& vecUrls) {
    vecUrls.clear();
    std::string strText;
    if (!ReadSmallFile(strPath, strText) || CountElementTags(strText) > kMaxElements) return DescriptorStatus::Unreadable;
    tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE);
    ParseText(strText, doc);
    const tinyxml2::XMLElement* pRoot = doc.RootElement();
    if (!pRoot) return DescriptorStatus::Unreadable;
    const tinyxml2::XMLElement* pFirst = pRoot->FirstChildElement("net_check");
    if (!pFirst) return DescriptorStatus::NoNetCheck;
    const tinyxml2::XMLElement* pElement = pFirst;
    for (int nIndex = 2; pElement; ++nIndex) {
        const char* szUrl = pElement->GetText();
        vecUrls.emplace_back(szUrl ? szUrl : "");
        const std::string strNext = "net_check" + std::to_string(nIndex);
        pElement = pRoot->FirstChildElement(strNext.c_str());
    }
    return DescriptorStatus::Ok;
}

DocumentStatus ParseCatalogueDocument(const std::string& strText, CatalogueDocument& out) {
    out = CatalogueDocument();
    if (CountElementTags(strText) > kMaxElements) {
        out.strProblem = "more than " + std::to_string(kMaxElements) + " elements";
        return DocumentStatus::NoRoot;
    }
    tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE);
    ParseText(strText, doc);
    const tinyxml2::XMLElement* pRoot = doc.RootElement();
    if (!pRoot) return DocumentStatus::NoRoot;
    const tinyxml2::XMLElement* pConfig = pRoot->FirstChildElement("Config");
    if (!pConfig) return DocumentStatus::NoConfig;

    const char* szUseOld = ChildText(pConfig, "UseOld");
    const char* szShowAdvice = ChildText(pConfig, "ShowAdvice");
    if (!szUseOld) {
        out.strProblem = "Config/UseOld missing or without text";
        return DocumentStatus::Malformed;
    }
    // A document that declines is not examined further: it may carry nothing but UseOld.
    if (std::strcmp(szUseOld, "1") == 0) return DocumentStatus::UseOld;
    if (!szShowAdvice) {
        out.strProblem = "Config/ShowAdvice missing or without text";
        return DocumentStatus::Malformed;
    }
    out.strShowAdvice = szShowAdvice;

    const tinyxml2::XMLElement* pCommands = pRoot->FirstChildElement("Commands");
    if (!pCommands) {
        out.strProblem = "Commands missing";
        return DocumentStatus::Malformed;
    }
    int nIndex = 0;
    for (const tinyxml2::XMLNode* pNode = pCommands->FirstChild(); pNode; pNode = pNode->NextSibling(), ++nIndex) {
        if (pNode->ToComment()) continue;
        const tinyxml2::XMLElement* pCommand = pNode->ToElement();
        if (!pCommand) {
            out.strProblem = "child " + std::to_string(nIndex) + " of Commands is not an element";
            out.vecCommands.clear();
            return DocumentStatus::Malformed;
        }
        const char* szType = pCommand->Attribute("type");
        const char* szValue = pCommand->Attribute("value");
        const char* szTips = pCommand->Attribute("tips");
        if (!szType || !szValue || !szTips) {
            out.strProblem = "command " + std::to_string(nIndex) + " lacks the type, value or tips attribute";
            out.vecCommands.clear();
            return DocumentStatus::Malformed;
        }
        NetChkCommand command;
        command.m_nType = ParseType(szType);
        command.m_strContent = szValue;
        command.m_strDesc = szTips;
        out.vecCommands.push_back(std::move(command));
    }
    return DocumentStatus::Ok;
}

}  // namespace NetChk_CatalogueXml
