// The layout source reader. TinyXML parses in its legacy byte mode (its UTF-8 mode can read past the end
// of a truncated multi-byte character); texts are checked as UTF-8 and converted to GBK here.
#include "NcTool_LayoutSource.h"

#include <tinyxml.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "KX_Platform/KXPlatform_Encoding.h"

namespace nctool {

namespace {

using ArkGui::CArkLayoutTemplate;

struct StyleName {
    const char* szName;
    uint32_t uValue;
};
const StyleName kStyleNames[] = {
    {"MODAL", 0x80000000u},         {"ATTACHED", 0x40000000u},       {"SHAPED", 0x20000000u},
    {"QUAD_HIT", 0x10000000u},      {"TOPMOST", 0x00800000u},        {"CONTROL", 0x00400000u},
    {"CLIP_PARENT", 0x00080000u},   {"INPUT_OBSERVER", 0x00040000u}, {"BOTTOM_GROUP", 0x00010000u},
    {"RICH_AUTO_HEIGHT", 0x1u},     {"RICH_FRAME", 0x2u},            {"RICH_MOUSE_UP", 0xF0u},
    {"RICH_SCROLLBAR", 0xF00u},     {"EDIT_MULTILINE", 0x1u},        {"EDIT_CLIPBOARD", 0x4u},
    {"EDIT_IME_OFF", 0x8u},         {"EDIT_NUMERIC", 0x1000u},       {"EDIT_REPORT_CARET", 0x2000u},
    {"SCROLL_HORIZONTAL", 0x4000u}, {"PROGRESS_BACKGROUND_ON_TOP", 0x1u},
};

const char* const kWindowAttrs[] = {"name", "class", "caption", "style", "x",   "y",   "w",      "h",
                                    "user", "font",  "size",    "f1",    "f2",  "num", "tip",    "s15",
                                    "s16",  "image0", "image1", "image2", "decorate", "pieces"};

// Thrown nowhere: each check returns false after filling the error once.
class CSourceReader {
public:
    CSourceReader(const std::string& strFile, std::string& strError) : m_strFile(strFile), m_strError(strError) {}

    bool Fail(const TiXmlBase* pAt, const std::string& strField, const std::string& strMessage) {
        m_strError = m_strFile + ":" + std::to_string(pAt ? pAt->Row() : 0) + ": " + strField + ": " + strMessage;
        return false;
    }

    // UTF-8 text as GBK; false when it is not UTF-8 or holds a character GBK lacks.
    bool Text(const TiXmlElement* pElem, const char* szName, std::string& strGbk, size_t nMax = SIZE_MAX) {
        strGbk.clear();
        const TiXmlAttribute* pAttr = Find(pElem, szName);
        if (!pAttr) return true;
        std::string strUtf8 = pAttr->Value();
        strGbk = KXPlatform::Utf8ToGbk(strUtf8);
        if (KXPlatform::GbkToUtf8(strGbk) != strUtf8) return Fail(pAttr, szName, "text is not UTF-8 that GBK can hold");
        if (strGbk.size() > nMax) return Fail(pAttr, szName, "longer than " + std::to_string(nMax) + " bytes");
        return true;
    }

    // Decimal (optionally negative) or 0x hexadecimal up to 0xFFFFFFFF; missing is 0.
    bool Int(const TiXmlElement* pElem, const char* szName, int32_t& nOut) {
        uint32_t u = 0;
        if (!Word(pElem, szName, u, true)) return false;
        std::memcpy(&nOut, &u, sizeof(nOut));
        return true;
    }
    bool Word(const TiXmlElement* pElem, const char* szName, uint32_t& uOut, bool bSigned) {
        uOut = 0;
        const TiXmlAttribute* pAttr = Find(pElem, szName);
        if (!pAttr) return true;
        if (!ParseNumber(pAttr->Value(), uOut, bSigned)) return Fail(pAttr, szName, std::string("not a number: ") + pAttr->Value());
        return true;
    }
    bool Float(const TiXmlElement* pElem, const char* szName, float& fOut) {
        fOut = 0.0f;
        const TiXmlAttribute* pAttr = Find(pElem, szName);
        if (!pAttr) return true;
        const char* sz = pAttr->Value();
        char* pEnd = nullptr;
        errno = 0;
        float f = std::strtof(sz, &pEnd);
        if (!*sz || *pEnd || errno != 0 || !std::isfinite(f)) return Fail(pAttr, szName, std::string("not a float: ") + sz);
        fOut = f;
        return true;
    }
    bool Style(const TiXmlElement* pElem, uint32_t& uOut) {
        uOut = 0;
        const TiXmlAttribute* pAttr = Find(pElem, "style");
        if (!pAttr) return true;
        std::string strAll = pAttr->Value();
        std::stringstream ss(strAll);
        std::string strPart;
        while (std::getline(ss, strPart, '|')) {
            size_t b = strPart.find_first_not_of(" \t"), e = strPart.find_last_not_of(" \t");
            strPart = b == std::string::npos ? std::string() : strPart.substr(b, e - b + 1);
            uint32_t u = 0;
            bool bFound = ParseNumber(strPart.c_str(), u, false);
            for (const StyleName& s : kStyleNames) {
                if (!bFound && strPart == s.szName) {
                    u = s.uValue;
                    bFound = true;
                }
            }
            if (!bFound) return Fail(pAttr, "style", "unknown style bit \"" + strPart + "\"");
            uOut |= u;
        }
        return true;
    }
    bool OnlyKnown(const TiXmlElement* pElem, std::initializer_list<const char*> known) {
        return OnlyKnown(pElem, known.begin(), known.end());
    }
    template <class It>
    bool OnlyKnown(const TiXmlElement* pElem, It itBegin, It itEnd) {
        for (const TiXmlAttribute* a = pElem->FirstAttribute(); a; a = a->Next()) {
            bool bKnown = false;
            for (It it = itBegin; it != itEnd; ++it) bKnown = bKnown || std::strcmp(*it, a->Name()) == 0;
            if (!bKnown) return Fail(a, a->Name(), std::string("unknown attribute of <") + pElem->Value() + ">");
        }
        return true;
    }
    static const TiXmlAttribute* Find(const TiXmlElement* pElem, const char* szName) {
        for (const TiXmlAttribute* a = pElem->FirstAttribute(); a; a = a->Next()) {
            if (std::strcmp(a->Name(), szName) == 0) return a;
        }
        return nullptr;
    }

private:
    static bool ParseNumber(const char* sz, uint32_t& uOut, bool bSigned) {
        if (!sz || !*sz) return false;
        char* pEnd = nullptr;
        errno = 0;
        if (sz[0] == '0' && (sz[1] == 'x' || sz[1] == 'X')) {
            if (!sz[2]) return false;
            unsigned long long u = std::strtoull(sz + 2, &pEnd, 16);
            if (*pEnd || errno != 0 || u > 0xFFFFFFFFull || sz[2] == '-' || sz[2] == '+') return false;
            uOut = static_cast<uint32_t>(u);
            return true;
        }
        long long n = std::strtoll(sz, &pEnd, 10);
        if (*pEnd || errno != 0 || n > 0xFFFFFFFFll || n < (bSigned ? INT32_MIN : 0)) return false;
        if (bSigned && n > INT32_MAX) return false;
        uOut = static_cast<uint32_t>(static_cast<int64_t>(n) & 0xFFFFFFFFll);
        return true;
    }

    std::string m_strFile;
    std::string& m_strError;
};

bool ReadQuad(CSourceReader& r, const TiXmlElement* pElem, CArkLayoutTemplate& t, ArkGui::ArkLayoutQuad& q) {
    if (!r.OnlyKnown(pElem, {"image", "u0", "v0", "u1", "v1", "x", "y", "color", "last"})) return false;
    std::string strImage;
    if (!r.Text(pElem, "image", strImage, ArkGui::ARK_LAYOUT_NAME_MAX) || !r.Float(pElem, "u0", q.fU0) ||
        !r.Float(pElem, "v0", q.fV0) || !r.Float(pElem, "u1", q.fU1) || !r.Float(pElem, "v1", q.fV1) ||
        !r.Int(pElem, "x", q.nX) || !r.Int(pElem, "y", q.nY) || !r.Word(pElem, "color", q.uColour, false) ||
        !r.Int(pElem, "last", q.nLast)) {
        return false;
    }
    q.uImage = t.AddString(strImage);
    return true;
}

bool ReadEntry(CSourceReader& r, const TiXmlElement* pElem, CArkLayoutTemplate& t) {
    if (!r.OnlyKnown(pElem, {"x", "y", "w", "h"})) return false;
    bool bFirst = t.Entries().empty();
    int nGiven = 0;
    for (const char* sz : {"x", "y", "w", "h"}) nGiven += CSourceReader::Find(pElem, sz) ? 1 : 0;
    if (bFirst && nGiven != 0) return r.Fail(pElem, "entry", "the first entry has no rectangle");
    if (!bFirst && nGiven != 4) return r.Fail(pElem, "entry", "every entry after the first needs x, y, w and h");
    ArkGui::ArkLayoutEntry entry;
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!r.Int(pElem, "x", x) || !r.Int(pElem, "y", y) || !r.Int(pElem, "w", w) || !r.Int(pElem, "h", h)) return false;
    entry.bHasRect = !bFirst;
    entry.rc = {x, y, static_cast<int32_t>(int64_t{x} + w), static_cast<int32_t>(int64_t{y} + h)};
    for (const TiXmlElement* pLayer = pElem->FirstChildElement(); pLayer; pLayer = pLayer->NextSiblingElement()) {
        if (std::strcmp(pLayer->Value(), "layer") != 0) return r.Fail(pLayer, pLayer->Value(), "only <layer> goes in <entry>");
        if (!r.OnlyKnown(pLayer, {"a", "b", "c"})) return false;
        ArkGui::ArkLayoutLayer layer;
        if (!r.Int(pLayer, "a", layer.anHead[0]) || !r.Int(pLayer, "b", layer.anHead[1]) ||
            !r.Int(pLayer, "c", layer.anHead[2])) {
            return false;
        }
        for (const TiXmlElement* pQuad = pLayer->FirstChildElement(); pQuad; pQuad = pQuad->NextSiblingElement()) {
            if (std::strcmp(pQuad->Value(), "quad") != 0) return r.Fail(pQuad, pQuad->Value(), "only <quad> goes in <layer>");
            layer.vecQuads.emplace_back();
            if (!ReadQuad(r, pQuad, t, layer.vecQuads.back())) return false;
        }
        entry.vecLayers.push_back(std::move(layer));
    }
    t.Entries().push_back(std::move(entry));
    return true;
}

bool ReadWindow(CSourceReader& r, const TiXmlElement* pElem, CArkLayoutTemplate& t, int nDepth) {
    if (!r.OnlyKnown(pElem, std::begin(kWindowAttrs), std::end(kWindowAttrs))) return false;
    std::string str;
    if (!r.Text(pElem, "class", str)) return false;
    if (str.empty()) return r.Fail(pElem, "class", "missing");
    t.SetString(ArkGui::ARK_LS_CLASS, str);
    const bool bDecorate = str == "CDecorateWnd";
    const bool bMiddleware = str == "CArkMiddlewareWnd";
    const struct {
        const char* szAttr;
        ArkGui::ArkLayoutString e;
    } texts[] = {{"caption", ArkGui::ARK_LS_CAPTION}, {"font", ArkGui::ARK_LS_FONT},     {"tip", ArkGui::ARK_LS_TIP},
                 {"s15", ArkGui::ARK_LS_S15},         {"s16", ArkGui::ARK_LS_S16},       {"image0", ArkGui::ARK_LS_IMAGE0},
                 {"image1", ArkGui::ARK_LS_IMAGE1},   {"image2", ArkGui::ARK_LS_IMAGE2}};
    for (const auto& text : texts) {
        if (!r.Text(pElem, text.szAttr, str)) return false;
        t.SetString(text.e, str);
    }
    ArkGui::ArkLayoutBody& b = t.Body();
    if (!r.Style(pElem, b.uStyle) || !r.Int(pElem, "x", b.nX) || !r.Int(pElem, "y", b.nY) ||
        !r.Int(pElem, "w", b.nWidth) || !r.Int(pElem, "h", b.nHeight) || !r.Int(pElem, "user", b.nUserData) ||
        !r.Int(pElem, "size", b.nFontSize) || !r.Float(pElem, "f1", b.fValue1) || !r.Float(pElem, "f2", b.fValue2) ||
        !r.Int(pElem, "num", b.nNumber)) {
        return false;
    }
    for (const char* sz : {"decorate", "pieces"}) {
        const TiXmlAttribute* pAttr = CSourceReader::Find(pElem, sz);
        if (pAttr && !bDecorate) return r.Fail(pAttr, sz, "only a CDecorateWnd has it");
    }
    if (bDecorate) {
        if (!r.Text(pElem, "decorate", str, ArkGui::ARK_LAYOUT_DECORATE_MAX)) return false;
        t.SetString(ArkGui::ARK_LS_DECORATE_TYPE, str);
        if (!r.Text(pElem, "pieces", str, ArkGui::ARK_LAYOUT_DECORATE_MAX)) return false;
        t.SetString(ArkGui::ARK_LS_DECORATE_PIECES, str);
        t.SetHasDecorate(true);
    }
    std::set<std::string> setNames;
    for (const TiXmlElement* pChild = pElem->FirstChildElement(); pChild; pChild = pChild->NextSiblingElement()) {
        if (std::strcmp(pChild->Value(), "entry") == 0) {
            if (!ReadEntry(r, pChild, t)) return false;
            continue;
        }
        if (std::strcmp(pChild->Value(), "window") != 0) return r.Fail(pChild, pChild->Value(), "unknown element");
        if (nDepth > 0 && !bMiddleware) return r.Fail(pChild, "window", "only a CArkMiddlewareWnd holds windows");
        if (nDepth > ArkGui::ARK_LAYOUT_MAX_NESTING) return r.Fail(pChild, "window", "middleware nested too deep");
        if (!r.Text(pChild, "name", str, ArkGui::ARK_LAYOUT_NAME_MAX)) return false;
        if (str.empty()) return r.Fail(pChild, "name", "missing");
        if (!setNames.insert(str).second) return r.Fail(pChild, "name", "a sibling has the same name");
        if (!ReadWindow(r, pChild, *t.AddChild(str), nDepth + 1)) return false;
    }
    return true;
}

bool ReadFile(const std::string& strPath, std::string& strText) {
    std::ifstream in(strPath, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    strText = ss.str();
    if (strText.compare(0, 3, "\xEF\xBB\xBF") == 0) strText.erase(0, 3);
    return true;
}

bool ParseXml(const std::string& strFile, const std::string& strText, TiXmlDocument& doc, std::string& strError) {
    doc.Parse(strText.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (!doc.Error()) return true;
    strError = strFile + ":" + std::to_string(doc.ErrorRow()) + ": xml: " + doc.ErrorDesc();
    return false;
}

std::string BaseName(const std::string& strPath) {
    size_t n = strPath.find_last_of('/');
    return n == std::string::npos ? strPath : strPath.substr(n + 1);
}

}  // namespace

bool ParseLayoutSource(const std::string& strFile, const std::string& strText, CArkLayoutTemplate& tmpl,
                       std::string& strError) {
    TiXmlDocument doc;
    if (!ParseXml(strFile, strText, doc, strError)) return false;
    CSourceReader r(strFile, strError);
    const TiXmlElement* pRoot = doc.RootElement();
    if (!pRoot || std::strcmp(pRoot->Value(), "component") != 0) return r.Fail(pRoot, "component", "the root element must be <component>");
    std::string strName;
    if (!r.Text(pRoot, "name", strName, ArkGui::ARK_LAYOUT_NAME_MAX)) return false;
    if (strName.empty() || BaseName(strFile) != KXPlatform::GbkToUtf8(strName) + ".xml") {
        return r.Fail(pRoot, "name", "must be the file's name without .xml");
    }
    tmpl.Reset();
    tmpl.SetString(ArkGui::ARK_LS_NAME, strName);
    if (!ReadWindow(r, pRoot, tmpl, 0)) return false;
    tmpl.SetLoaded(true);
    return true;
}

bool ReadLayoutSources(const std::string& strDir, LayoutSources& out, std::string& strError) {
    out.vecComponents.clear();
    const std::string strIndex = strDir + "/index.xml";
    std::string strText;
    if (!ReadFile(strIndex, strText)) {
        strError = strIndex + ":0: index: cannot be read";
        return false;
    }
    TiXmlDocument doc;
    if (!ParseXml(strIndex, strText, doc, strError)) return false;
    CSourceReader r(strIndex, strError);
    const TiXmlElement* pRoot = doc.RootElement();
    if (!pRoot || std::strcmp(pRoot->Value(), "layouts") != 0) return r.Fail(pRoot, "layouts", "the root element must be <layouts>");
    std::set<std::string> setNames;
    for (const TiXmlElement* p = pRoot->FirstChildElement(); p; p = p->NextSiblingElement()) {
        if (std::strcmp(p->Value(), "component") != 0) return r.Fail(p, p->Value(), "only <component> goes in <layouts>");
        if (!r.OnlyKnown(p, {"name"})) return false;
        std::string strName;
        if (!r.Text(p, "name", strName, ArkGui::ARK_LAYOUT_NAME_MAX)) return false;
        if (strName.empty()) return r.Fail(p, "name", "missing");
        // The name becomes part of a file name beside the root.
        if (strName.find_first_of("/\\") != std::string::npos) return r.Fail(p, "name", "no folders in a name");
        if (!setNames.insert(strName).second) return r.Fail(p, "name", "named twice");
        const std::string strFile = strDir + "/" + KXPlatform::GbkToUtf8(strName) + ".xml";
        std::string strSource;
        if (!ReadFile(strFile, strSource)) return r.Fail(p, "name", "cannot read " + strFile);
        out.vecComponents.push_back(std::make_unique<CArkLayoutTemplate>());
        if (!ParseLayoutSource(strFile, strSource, *out.vecComponents.back(), strError)) return false;
    }
    if (out.vecComponents.empty()) return r.Fail(pRoot, "layouts", "names no component");
    return true;
}

}  // namespace nctool
