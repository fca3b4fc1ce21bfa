// CArkLayoutTemplate and the component file format: parsing hostile bytes and writing them back.
#include "KX_GUI/ArkLayoutTemplate.h"

#include <cstring>

namespace ArkGui {

namespace {

const char* const kMiddleware = "CArkMiddlewareWnd";
const char* const kDecorate = "CDecorateWnd";

// A cursor over the component's bytes: every read checks what remains, so a length or count taken from
// the file can never move it past the end, and nothing is allocated for bytes that are not there.
class CLayoutReader {
public:
    CLayoutReader(const char* pData, uint32_t uSize) : m_p(pData), m_uLeft(uSize) {}

    bool U32(uint32_t& u) {
        if (m_uLeft < 4) return false;
        const auto* b = reinterpret_cast<const unsigned char*>(m_p);
        u = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
            (static_cast<uint32_t>(b[3]) << 24);
        m_p += 4;
        m_uLeft -= 4;
        return true;
    }
    bool I32(int32_t& n) {
        uint32_t u = 0;
        if (!U32(u)) return false;
        std::memcpy(&n, &u, sizeof(n));
        return true;
    }
    bool F32(float& f) {
        uint32_t u = 0;
        if (!U32(u)) return false;
        std::memcpy(&f, &u, sizeof(f));
        return true;
    }
    // A string of at most uMax bytes, copied into the template's block.
    bool Str(CArkLayoutTemplate& tmpl, uint32_t& uOffset, uint32_t uMax) {
        uint32_t uLen = 0;
        if (!U32(uLen) || uLen > uMax || uLen > m_uLeft) return false;
        uOffset = tmpl.AddString(m_p, uLen);
        m_p += uLen;
        m_uLeft -= uLen;
        return true;
    }
    bool Str(CArkLayoutTemplate& tmpl, ArkLayoutString e, uint32_t uMax = UINT32_MAX) {
        uint32_t uOffset = 0;
        if (!Str(tmpl, uOffset, uMax)) return false;
        tmpl.SetStringOffset(e, uOffset);
        return true;
    }
    // A name for a child template: at most 255 bytes and not empty. The name is used as a C string
    // (FindChild, the writer), so bytes after a NUL name nothing, and a name that is empty before its
    // NUL is as damaged as an empty field: kept whole, it would be written back as an empty name.
    bool Name(std::string& str) {
        uint32_t uLen = 0;
        if (!U32(uLen) || uLen == 0 || uLen > ARK_LAYOUT_NAME_MAX || uLen > m_uLeft) return false;
        const size_t uNameLen = strnlen(m_p, uLen);
        if (uNameLen == 0) return false;
        str.assign(m_p, uNameLen);
        m_p += uLen;
        m_uLeft -= uLen;
        return true;
    }
    uint32_t Left() const { return m_uLeft; }

private:
    const char* m_p;
    uint32_t m_uLeft;
};

bool ParseQuad(CLayoutReader& r, CArkLayoutTemplate& t, ArkLayoutQuad& q) {
    return r.Str(t, q.uImage, ARK_LAYOUT_NAME_MAX) && r.F32(q.fU0) && r.F32(q.fV0) && r.F32(q.fU1) && r.F32(q.fV1) &&
           r.I32(q.nX) && r.I32(q.nY) && r.U32(q.uColour) && r.I32(q.nLast);
}

bool ParseLayer(CLayoutReader& r, CArkLayoutTemplate& t, ArkLayoutLayer& layer) {
    uint32_t uQuads = 0;
    if (!r.I32(layer.anHead[0]) || !r.I32(layer.anHead[1]) || !r.I32(layer.anHead[2]) || !r.U32(uQuads)) return false;
    // Each quad takes at least 36 bytes, so a count the remaining bytes cannot hold fails at once.
    if (uQuads > r.Left() / 36) return false;
    for (uint32_t i = 0; i < uQuads; ++i) {
        layer.vecQuads.emplace_back();
        if (!ParseQuad(r, t, layer.vecQuads.back())) return false;
    }
    return true;
}

bool ParseEntries(CLayoutReader& r, CArkLayoutTemplate& t) {
    uint32_t uEntries = 0;
    if (!r.U32(uEntries) || uEntries > r.Left() / 4) return false;
    for (uint32_t i = 0; i < uEntries; ++i) {
        t.Entries().emplace_back();
        ArkLayoutEntry& entry = t.Entries().back();
        if (i > 0) {
            int32_t x = 0, y = 0, w = 0, h = 0;
            if (!r.I32(x) || !r.I32(y) || !r.I32(w) || !r.I32(h)) return false;
            entry.bHasRect = true;
            // Computed in 64 bits: a hostile width must not overflow.
            auto clamp = [](int64_t v) { return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
            entry.rc = {x, y, clamp(int64_t{x} + w), clamp(int64_t{y} + h)};
        }
        uint32_t uLayers = 0;
        if (!r.U32(uLayers) || uLayers > r.Left() / 16) return false;
        for (uint32_t j = 0; j < uLayers; ++j) {
            entry.vecLayers.emplace_back();
            if (!ParseLayer(r, t, entry.vecLayers.back())) return false;
        }
    }
    return true;
}

bool ParseBody(CLayoutReader& r, CArkLayoutTemplate& t) {
    ArkLayoutBody& b = t.Body();
    if (!r.Str(t, ARK_LS_CLASS) || !r.Str(t, ARK_LS_CAPTION) || !r.U32(b.uStyle) || !r.I32(b.nX) || !r.I32(b.nY) ||
        !r.I32(b.nWidth) || !r.I32(b.nHeight) || !r.I32(b.nUserData) || !r.Str(t, ARK_LS_FONT) ||
        !r.I32(b.nFontSize) || !r.F32(b.fValue1) || !r.F32(b.fValue2) || !r.I32(b.nNumber) || !r.Str(t, ARK_LS_TIP) ||
        !r.Str(t, ARK_LS_S15) || !r.Str(t, ARK_LS_S16) || !r.Str(t, ARK_LS_IMAGE0) || !r.Str(t, ARK_LS_IMAGE1) ||
        !r.Str(t, ARK_LS_IMAGE2)) {
        return false;
    }
    if (std::strcmp(t.GetClass(), kDecorate) == 0) {
        if (!r.Str(t, ARK_LS_DECORATE_TYPE, ARK_LAYOUT_DECORATE_MAX) ||
            !r.Str(t, ARK_LS_DECORATE_PIECES, ARK_LAYOUT_DECORATE_MAX)) {
            return false;
        }
        t.SetHasDecorate(true);
    }
    return ParseEntries(r, t);
}

// A child list; middleware children carry their own, nDepth levels down.
bool ParseChildren(CLayoutReader& r, CArkLayoutTemplate& parent, int nDepth) {
    uint32_t uCount = 0;
    // A child takes far more than 8 bytes; the check only stops counts the file cannot hold.
    if (!r.U32(uCount) || uCount > r.Left() / 8) return false;
    std::string strName;
    for (uint32_t i = 0; i < uCount; ++i) {
        if (!r.Name(strName)) return false;
        CArkLayoutTemplate* pChild = parent.AddChild(strName);
        if (!ParseBody(r, *pChild)) return false;
        if (std::strcmp(pChild->GetClass(), kMiddleware) == 0) {
            if (nDepth >= ARK_LAYOUT_MAX_NESTING || !ParseChildren(r, *pChild, nDepth + 1)) return false;
        }
    }
    return true;
}

// ---- writing ----

void PutU32(std::string& out, uint32_t u) {
    char b[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
                 static_cast<char>((u >> 24) & 0xFF)};
    out.append(b, 4);
}
void PutI32(std::string& out, int32_t n) {
    uint32_t u = 0;
    std::memcpy(&u, &n, sizeof(u));
    PutU32(out, u);
}
void PutF32(std::string& out, float f) {
    uint32_t u = 0;
    std::memcpy(&u, &f, sizeof(u));
    PutU32(out, u);
}
void PutStr(std::string& out, const char* sz) {
    size_t n = std::strlen(sz);
    PutU32(out, static_cast<uint32_t>(n));
    out.append(sz, n);
}

void WriteBody(std::string& out, const CArkLayoutTemplate& t) {
    const ArkLayoutBody& b = t.Body();
    PutStr(out, t.GetClass());
    PutStr(out, t.GetString(ARK_LS_CAPTION));
    PutU32(out, b.uStyle);
    PutI32(out, b.nX);
    PutI32(out, b.nY);
    PutI32(out, b.nWidth);
    PutI32(out, b.nHeight);
    PutI32(out, b.nUserData);
    PutStr(out, t.GetString(ARK_LS_FONT));
    PutI32(out, b.nFontSize);
    PutF32(out, b.fValue1);
    PutF32(out, b.fValue2);
    PutI32(out, b.nNumber);
    for (ArkLayoutString e : {ARK_LS_TIP, ARK_LS_S15, ARK_LS_S16, ARK_LS_IMAGE0, ARK_LS_IMAGE1, ARK_LS_IMAGE2}) {
        PutStr(out, t.GetString(e));
    }
    if (std::strcmp(t.GetClass(), kDecorate) == 0) {
        PutStr(out, t.GetString(ARK_LS_DECORATE_TYPE));
        PutStr(out, t.GetString(ARK_LS_DECORATE_PIECES));
    }
    PutU32(out, static_cast<uint32_t>(t.Entries().size()));
    for (size_t i = 0; i < t.Entries().size(); ++i) {
        const ArkLayoutEntry& e = t.Entries()[i];
        if (i > 0) {
            PutI32(out, e.rc.nLeft);
            PutI32(out, e.rc.nTop);
            PutI32(out, e.rc.nRight - e.rc.nLeft);
            PutI32(out, e.rc.nBottom - e.rc.nTop);
        }
        PutU32(out, static_cast<uint32_t>(e.vecLayers.size()));
        for (const ArkLayoutLayer& layer : e.vecLayers) {
            for (int32_t n : layer.anHead) PutI32(out, n);
            PutU32(out, static_cast<uint32_t>(layer.vecQuads.size()));
            for (const ArkLayoutQuad& q : layer.vecQuads) {
                PutStr(out, t.StringAt(q.uImage));
                PutF32(out, q.fU0);
                PutF32(out, q.fV0);
                PutF32(out, q.fU1);
                PutF32(out, q.fV1);
                PutI32(out, q.nX);
                PutI32(out, q.nY);
                PutU32(out, q.uColour);
                PutI32(out, q.nLast);
            }
        }
    }
}

void WriteChildren(std::string& out, const CArkLayoutTemplate& t) {
    PutU32(out, static_cast<uint32_t>(t.Children().size()));
    for (const auto& pChild : t.Children()) {
        PutStr(out, pChild->GetName());
        WriteBody(out, *pChild);
        if (std::strcmp(pChild->GetClass(), kMiddleware) == 0) WriteChildren(out, *pChild);
    }
}

}  // namespace

CArkLayoutTemplate::CArkLayoutTemplate() : m_strBlock(1, '\0') {
    for (uint32_t& u : m_auString) u = 0;
}

const char* CArkLayoutTemplate::StringAt(uint32_t uOffset) const {
    return uOffset < m_strBlock.size() ? m_strBlock.c_str() + uOffset : "";
}

uint32_t CArkLayoutTemplate::AddString(const char* pText, size_t nLen) {
    if (nLen == 0) return 0;
    uint32_t uOffset = static_cast<uint32_t>(m_strBlock.size());
    m_strBlock.append(pText, nLen);
    m_strBlock.push_back('\0');
    return uOffset;
}

CArkLayoutTemplate* CArkLayoutTemplate::AddChild(const std::string& strName) {
    m_vecChildren.push_back(std::make_unique<CArkLayoutTemplate>());
    CArkLayoutTemplate* pChild = m_vecChildren.back().get();
    pChild->SetString(ARK_LS_NAME, strName);
    pChild->m_bLoaded = true;
    return pChild;
}

const CArkLayoutTemplate* CArkLayoutTemplate::FindChild(const char* szName) const {
    if (!szName) return nullptr;
    for (const auto& p : m_vecChildren) {
        if (std::strcmp(p->GetName(), szName) == 0) return p.get();
    }
    return nullptr;
}

void CArkLayoutTemplate::Reset() {
    std::string strName = GetName();
    m_strBlock.assign(1, '\0');
    for (uint32_t& u : m_auString) u = 0;
    m_body = ArkLayoutBody();
    m_bHasDecorate = false;
    m_vecEntries.clear();
    m_vecChildren.clear();
    m_bLoaded = false;
    SetString(ARK_LS_NAME, strName);
}

bool ParseLayoutComponent(const char* pData, uint32_t uSize, CArkLayoutTemplate& tmpl) {
    tmpl.Reset();
    if (!pData) return false;
    CLayoutReader r(pData, uSize);
    // A component must end exactly after its child list: trailing bytes mean the file is not what the
    // compiler wrote.
    if (!ParseBody(r, tmpl) || !ParseChildren(r, tmpl, 0) || r.Left() != 0) {
        tmpl.Reset();
        return false;
    }
    tmpl.SetLoaded(true);
    return true;
}

std::string WriteLayoutComponent(const CArkLayoutTemplate& tmpl) {
    std::string out;
    WriteBody(out, tmpl);
    WriteChildren(out, tmpl);
    return out;
}

std::string WriteLayoutRoot(const std::vector<std::string>& vecNames) {
    std::string out;
    PutU32(out, 0x00465541u);
    PutU32(out, 10004u);
    PutU32(out, static_cast<uint32_t>(vecNames.size()));
    for (const std::string& s : vecNames) PutStr(out, s.c_str());
    return out;
}

}  // namespace ArkGui
