// Laying out markup with the fixed-advance owner, and reading the atoms back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KX_GUI/ArkRichText.h"

namespace ArkGuiTest {

struct RichLayout {
    ArkGui::CArkRichFixedOwner owner;
    ArkGui::CArkRichText text;

    explicit RichLayout(int nWrap = 300, int nAdvance = 12, uint32_t uFlags = 0) {
        owner.nFontHeight = nAdvance;
        owner.nOwnerWidth = nWrap;
        text.SetDefaultFlags(uFlags);
        text.Clear();
        text.SetWrapWidth(nWrap);
        text.SetFont("", nAdvance, nAdvance, false);
    }
    int Parse(const char* sz) { return text.ParseText(&owner, sz); }
    // Parses and finishes the last line, as the window and nctool do.
    int Layout(const char* sz) {
        int n = Parse(sz);
        text.FinishLine(&owner, false);
        return n;
    }
    size_t Count() const { return text.GetAtoms().size(); }
    const ArkGui::CAtom& Atom(size_t i) const { return *text.GetAtoms().at(i); }
    const ArkGui::CText& Run(size_t i) const {
        const ArkGui::CAtom& a = Atom(i);
        EXPECT_EQ(a.eKind, ArkGui::ArkAtomKind::Text) << "atom " << i;
        return static_cast<const ArkGui::CText&>(a);
    }
    // The characters of every text run, in list order.
    std::string Shown() const {
        std::string s;
        for (const auto& p : text.GetAtoms()) {
            if (p->eKind == ArkGui::ArkAtomKind::Text) s += p->strText;
        }
        return s;
    }
    std::vector<std::string> Runs() const {
        std::vector<std::string> v;
        for (const auto& p : text.GetAtoms()) v.push_back(p->strText);
        return v;
    }
};

}  // namespace ArkGuiTest
