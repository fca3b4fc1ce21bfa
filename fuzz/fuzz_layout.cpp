// Layout packages on hostile bytes: the root file's component list and a component file's templates.
// What parses must write back to bytes that parse to the same thing, every string a template hands out
// lies in its block, and a component that fails to parse leaves its template empty.
#include "NcFuzz_Support.h"

#include "KX_GUI/ArkLayoutPackage.h"
#include "KX_GUI/ArkLayoutTemplate.h"

#include <cstring>

namespace {

using namespace ArkGui;

void CheckStrings(const CArkLayoutTemplate& tmpl, int nDepth) {
    NCFUZZ_CHECK(nDepth <= ARK_LAYOUT_MAX_NESTING + 1);
    for (int e = 0; e < ARK_LS_COUNT; ++e)
        NCFUZZ_CHECK(std::strlen(tmpl.GetString(static_cast<ArkLayoutString>(e))) < tmpl.GetBlockSize());
    for (const ArkLayoutEntry& entry : tmpl.Entries())
        for (const ArkLayoutLayer& layer : entry.vecLayers)
            for (const ArkLayoutQuad& quad : layer.vecQuads) NCFUZZ_CHECK(std::strlen(tmpl.StringAt(quad.uImage)) < tmpl.GetBlockSize());
    for (const auto& pChild : tmpl.Children()) CheckStrings(*pChild, nDepth + 1);
}

void CheckComponent(const std::string& strBytes) {
    CArkLayoutTemplate tmpl;
    if (!ParseLayoutComponent(strBytes.data(), static_cast<uint32_t>(strBytes.size()), tmpl)) {
        NCFUZZ_CHECK(tmpl.Children().empty() && tmpl.Entries().empty() && !tmpl.IsLoaded());
        return;
    }
    CheckStrings(tmpl, 0);
    // Written out and read again, a template writes the same bytes.
    const std::string strWritten = WriteLayoutComponent(tmpl);
    CArkLayoutTemplate again;
    NCFUZZ_CHECK(ParseLayoutComponent(strWritten.data(), static_cast<uint32_t>(strWritten.size()), again));
    NCFUZZ_CHECK(WriteLayoutComponent(again) == strWritten);
}

void CheckRoot(const std::string& strBytes) {
    std::vector<std::string> vecNames;
    if (!CArkLayoutPackage::ParseRoot(strBytes.data(), static_cast<uint32_t>(strBytes.size()), vecNames)) return;
    NCFUZZ_CHECK(!vecNames.empty());
    for (const std::string& strName : vecNames) NCFUZZ_CHECK(!strName.empty() && strName.size() <= ARK_LAYOUT_NAME_MAX);
    const std::string strWritten = WriteLayoutRoot(vecNames);
    std::vector<std::string> vecAgain;
    NCFUZZ_CHECK(CArkLayoutPackage::ParseRoot(strWritten.data(), static_cast<uint32_t>(strWritten.size()), vecAgain));
    NCFUZZ_CHECK(vecAgain == vecNames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    // The same bytes as a component file and as a root file (their formats share no magic).
    const std::string strBytes(reinterpret_cast<const char*>(pData), uSize);
    CheckComponent(strBytes);
    CheckRoot(strBytes);
    return 0;
}
