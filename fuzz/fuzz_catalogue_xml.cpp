// The catalogue's two XML readers on hostile bytes: the catalogue document from memory and the update
// descriptor from disk. Both must read the document up to its first NUL and not one byte further.
#include "NcFuzz_Support.h"

#include "netcheck/catalogue/NetChk_CatalogueXml.h"

#include <cstring>

namespace {

using namespace NetChk_CatalogueXml;

bool SameCommands(const CatalogueDocument& a, const CatalogueDocument& b) {
    if (a.vecCommands.size() != b.vecCommands.size() || a.strShowAdvice != b.strShowAdvice) return false;
    for (size_t i = 0; i < a.vecCommands.size(); ++i) {
        const NetChkCommand& x = a.vecCommands[i];
        const NetChkCommand& y = b.vecCommands[i];
        if (x.m_nType != y.m_nType || x.m_strContent != y.m_strContent || x.m_strDesc != y.m_strDesc) return false;
    }
    return true;
}

void CheckDocument(const std::string& strText) {
    CatalogueDocument doc;
    const DocumentStatus eStatus = ParseCatalogueDocument(strText, doc);
    if (eStatus != DocumentStatus::Ok) NCFUZZ_CHECK(doc.vecCommands.empty());
    if (eStatus == DocumentStatus::Malformed) NCFUZZ_CHECK(!doc.strProblem.empty());
    // Values come from the document: none can be longer than it.
    for (const NetChkCommand& command : doc.vecCommands)
        NCFUZZ_CHECK(command.m_strContent.size() + command.m_strDesc.size() <= strText.size());

    // Whatever lies behind the first NUL, even the rest of a valid document, changes nothing.
    const std::string strCut(strText.c_str());
    const std::string strTail =
        "\"/></Commands><Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config><Commands></Commands></r>";
    for (const std::string& strOther : {strCut, strCut + std::string(1, '\0') + strTail}) {
        CatalogueDocument other;
        NCFUZZ_CHECK(ParseCatalogueDocument(strOther, other) == eStatus);
        NCFUZZ_CHECK(SameCommands(doc, other));
    }
}

void CheckDescriptor(const std::string& strText) {
    const std::string strPath = ncfuzz::WriteScratchFile("patch/update_url.xml", strText);
    std::vector<std::string> vecUrls{"left over"};
    const DescriptorStatus eStatus = ReadUpdateDescriptor(strPath, vecUrls);
    if (eStatus != DescriptorStatus::Ok) NCFUZZ_CHECK(vecUrls.empty());
    if (eStatus == DescriptorStatus::Ok) NCFUZZ_CHECK(!vecUrls.empty());
    size_t uBytes = 0;
    for (const std::string& strUrl : vecUrls) uBytes += strUrl.size();
    NCFUZZ_CHECK(uBytes <= strText.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    const std::string strText(reinterpret_cast<const char*>(pData), uSize);
    CheckDocument(strText);
    CheckDescriptor(strText);
    return 0;
}
