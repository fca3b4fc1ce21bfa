// Rich-text markup on hostile bytes, parsed and laid out with the fixed-advance owner under the flags,
// width and font size the input picks: the whole string or a prefix is consumed, every run holds whole
// characters, boxes are not negative, and every clickable atom's link is registered.
#include "NcFuzz_Support.h"

#include "KX_GUI/ArkRichText.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    ncfuzz::Reader reader(pData, uSize);
    const uint32_t uFlags = (static_cast<uint32_t>(reader.Byte()) << 3 | reader.Byte()) & 0x7FEu;
    const int nWidth = 1 + reader.Byte() * 2;
    const int nAdvance = 1 + reader.Byte() % 32;
    const std::string strMarkup = reader.Rest();

    ArkGui::CArkRichFixedOwner owner;
    owner.nFontHeight = nAdvance;
    owner.nOwnerWidth = nWidth;
    ArkGui::CArkRichText text;
    text.SetDefaultFlags(uFlags);
    text.Clear();
    text.SetWrapWidth(nWidth);
    text.SetFont("", nAdvance, nAdvance, false);
    const int nConsumed = text.ParseText(&owner, strMarkup.c_str());
    text.FinishLine(&owner, false);

    NCFUZZ_CHECK(nConsumed >= 0 && static_cast<size_t>(nConsumed) <= std::strlen(strMarkup.c_str()));
    NCFUZZ_CHECK(text.GetContentHeight() >= 0);
    for (const auto& pAtom : text.GetAtoms()) {
        NCFUZZ_CHECK(pAtom->nWidth >= 0 && pAtom->nHeight >= 0);
        if (pAtom->eKind == ArkGui::ArkAtomKind::Text) {
            const std::string& strRun = pAtom->strText;
            NCFUZZ_CHECK(!strRun.empty());
            size_t i = 0;
            while (i < strRun.size()) i += static_cast<uint8_t>(strRun[i]) >= 0x80 ? 2 : 1;
            NCFUZZ_CHECK(i == strRun.size());
        } else if (pAtom->eKind != ArkGui::ArkAtomKind::Icon) {
            int nType = 0;
            std::string strData;
            NCFUZZ_CHECK(text.FindLink(pAtom->nLinkId, nType, strData));
        }
        // Hit-testing a point of a box finds an atom there.
        if (pAtom->nWidth > 0 && pAtom->nHeight > 0) NCFUZZ_CHECK(text.HitTest(pAtom->nX, pAtom->nY) != nullptr);
    }
    return 0;
}
