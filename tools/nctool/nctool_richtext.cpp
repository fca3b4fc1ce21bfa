// nctool richtext [--width W] [--advance A] [--flags F] MARKUP | --file FILE | -: lays out the markup
// (UTF-8; from the argument, from FILE, or from the standard input for "-", since a command line holds
// only so much) with a fixed-advance font and prints one line per atom, then the content size.
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

const char* const kUsage = "richtext [--width W] [--advance A] [--flags F] MARKUP | --file FILE | -";
// Far more than any window shows; a larger input is refused rather than read.
constexpr size_t kMaxInputBytes = 16u << 20;

// The whole stream, up to kMaxInputBytes; false (with a line on standard error) past that or on error.
bool ReadAll(std::FILE* pIn, const std::string& strWhat, std::string& strOut) {
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), pIn)) > 0) {
        if (strOut.size() + n > kMaxInputBytes) {
            std::fprintf(stderr, "%s is larger than %zu bytes\n", strWhat.c_str(), kMaxInputBytes);
            return false;
        }
        strOut.append(buf, n);
    }
    if (std::ferror(pIn)) {
        std::fprintf(stderr, "cannot read %s\n", strWhat.c_str());
        return false;
    }
    return true;
}

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
    const std::string* pFile = nullptr;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool bOption = a == "--width" || a == "--advance" || a == "--flags";
        if (a == "--file") {
            if (i + 1 >= args.size() || pFile) return nctool::Usage(kUsage);
            pFile = &args[++i];
        } else if (bOption) {
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
    if ((pMarkup != nullptr) == (pFile != nullptr)) return nctool::Usage(kUsage);
    std::string strUtf8;
    if (pFile) {
        std::FILE* pIn = std::fopen(pFile->c_str(), "rb");
        if (!pIn) {
            std::fprintf(stderr, "cannot open %s\n", pFile->c_str());
            return 1;
        }
        const bool bRead = ReadAll(pIn, *pFile, strUtf8);
        std::fclose(pIn);
        if (!bRead) return 1;
    } else if (*pMarkup == "-") {
        if (!ReadAll(stdin, "the standard input", strUtf8)) return 1;
    } else {
        strUtf8 = *pMarkup;
    }

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
    const std::string strGbk = KXPlatform::Utf8ToGbk(strUtf8);
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
