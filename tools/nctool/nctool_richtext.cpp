// nctool richtext [--width W] [--advance A] [--flags F] MARKUP: lays out MARKUP (UTF-8) with a
// fixed-advance font and prints one line per atom, then the content size.
//
// Atom lines: kind x y w h line "text" colour link p1 p2, kind one of text|icon|clickicon|btn, text in
// UTF-8 ("#NNN" for icons and buttons; '"', '\' and control bytes escaped), colour as 8 hex digits,
// link as a signed decimal. Last line: size W H. F is the layout flag word (flag d is bit 1 << d).
#include "NcTool_Command.h"

#include "KX_GUI/ArkRichText.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Platform/KXPlatform_Encoding.h"

#include <boost/lexical_cast.hpp>

#include <cinttypes>
#include <cstdio>

namespace {

const char* const kUsage = "richtext [--width W] [--advance A] [--flags F] MARKUP";

const char* KindName(ArkGui::ArkAtomKind e) {
    switch (e) {
        case ArkGui::ArkAtomKind::Text: return "text";
        case ArkGui::ArkAtomKind::Icon: return "icon";
        case ArkGui::ArkAtomKind::ClickedIcon: return "clickicon";
        default: return "btn";
    }
}

std::string Quoted(const std::string& strUtf8) {
    std::string strOut = "\"";
    for (char c : strUtf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += c;
        } else if (c == '\r') {
            strOut += "\\r";
        } else if (c == '\t') {
            strOut += "\\t";
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof(buf), "\\x%02X", u);
            strOut += buf;
        } else {
            strOut += c;
        }
    }
    return strOut + "\"";
}

std::string AtomText(const ArkGui::CAtom& atom) {
    switch (atom.eKind) {
        case ArkGui::ArkAtomKind::Text: return KXPlatform::GbkToUtf8(atom.strText);
        case ArkGui::ArkAtomKind::Btn: return "#" + std::to_string(static_cast<const ArkGui::CBtn&>(atom).nButton);
        default: return "#" + std::to_string(static_cast<const ArkGui::CIcon&>(atom).nIcon);
    }
}

template <class T>
bool ReadNumber(const std::string& strText, T& value) {
    return boost::conversion::try_lexical_convert(strText, value);
}

int Run(const std::vector<std::string>& args) {
    int nWidth = 300, nAdvance = 12;
    uint32_t uFlags = 0;
    const std::string* pMarkup = nullptr;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool bOption = a == "--width" || a == "--advance" || a == "--flags";
        if (bOption) {
            if (i + 1 >= args.size()) return nctool::Usage(kUsage);
            const std::string& v = args[++i];
            bool bOk = a == "--width" ? ReadNumber(v, nWidth) : a == "--advance" ? ReadNumber(v, nAdvance) : ReadNumber(v, uFlags);
            if (!bOk) return nctool::Usage(kUsage);
        } else if (!pMarkup) {
            pMarkup = &a;
        } else {
            return nctool::Usage(kUsage);
        }
    }
    if (!pMarkup) return nctool::Usage(kUsage);

    // Standard output carries the atoms; bottom-aligned runs write log lines, which must not reach it.
    for (int nModule = 0; nModule < M_MODULE_COUNT; ++nModule) {
        CArkLogger::Instance().SetModuleConsoleLevel(nModule, WL_LEVEL_COUNT);
    }
    ArkGui::CArkRichFixedOwner owner;
    owner.nFontHeight = nAdvance;
    owner.nOwnerWidth = nWidth;
    ArkGui::CArkRichText text;
    text.SetDefaultFlags(uFlags);
    text.Clear();
    text.SetWrapWidth(nWidth);
    text.SetFont("", nAdvance, nAdvance, false);
    const std::string strGbk = KXPlatform::Utf8ToGbk(*pMarkup);
    text.ParseText(&owner, strGbk.c_str());
    text.FinishLine(&owner, false);

    for (const auto& p : text.GetAtoms()) {
        const ArkGui::CAtom& atom = *p;
        const uint32_t uColour = atom.eKind == ArkGui::ArkAtomKind::Text ? static_cast<const ArkGui::CText&>(atom).uColour : 0;
        std::printf("%s %d %d %d %d %d %s %08X %" PRId64 " %d %d\n", KindName(atom.eKind), atom.nX, atom.nY, atom.nWidth,
                    atom.nHeight, atom.nLine, Quoted(AtomText(atom)).c_str(), uColour, atom.nLinkId, atom.nLinkParam1,
                    atom.nLinkParam2);
    }
    std::printf("size %d %d\n", text.GetContentWidth(), text.GetContentHeight());
    return 0;
}

const nctool::CommandRegistrar registrar("richtext", &Run, kUsage);

}  // namespace
