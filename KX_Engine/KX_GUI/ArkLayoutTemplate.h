// A window template of a layout package: the body fields, the decorate strings, the image entries and
// the child templates, with every string of the template in one owned block.
//
// What the fields mean when a window is created (docs/layout-format.md says the same for authors):
//  - field 13 (number) is the window's layer order; field 15 is its bind text; field 16 names the image
//    of its drag layer (key 15, buttons only);
//  - the three images fill the base layer (key 0), the enabled background (2) and the disabled one (3);
//  - image entries add quads: the first entry's area is the window, a later entry's area its rectangle;
//    a layer's head is (state of the window layer to fill, quad width, quad height; 0 = source size);
//    a quad's source rectangle is in fractions of its image, its position relative to the area, and its
//    last value 1 stretches it to the area's right and bottom edges.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KX_Renderer/KXRenderer_Types.h"

namespace ArkGui {

// The strings of a template; each is an offset into the template's block.
enum ArkLayoutString : int {
    ARK_LS_NAME = 0,
    ARK_LS_CLASS,
    ARK_LS_CAPTION,
    ARK_LS_FONT,
    ARK_LS_TIP,
    ARK_LS_S15,
    ARK_LS_S16,
    ARK_LS_IMAGE0,
    ARK_LS_IMAGE1,
    ARK_LS_IMAGE2,
    ARK_LS_DECORATE_TYPE,
    ARK_LS_DECORATE_PIECES,
    ARK_LS_COUNT
};

constexpr uint32_t ARK_LAYOUT_NAME_MAX = 255;       // component, child and quad image names
constexpr uint32_t ARK_LAYOUT_DECORATE_MAX = 259;   // each decorate string
constexpr int ARK_LAYOUT_MAX_NESTING = 16;         // middleware inside middleware

struct ArkLayoutBody {
    uint32_t uStyle = 0;
    int32_t nX = 0;
    int32_t nY = 0;
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    int32_t nUserData = 0;
    int32_t nFontSize = 0;
    float fValue1 = 0.0f;
    float fValue2 = 0.0f;
    int32_t nNumber = 0;
};

struct ArkLayoutQuad {
    uint32_t uImage = 0;  // string offset in the template's block
    float fU0 = 0, fV0 = 0, fU1 = 0, fV1 = 0;
    int32_t nX = 0;
    int32_t nY = 0;
    uint32_t uColour = 0;
    int32_t nLast = 0;
};

struct ArkLayoutLayer {
    int32_t anHead[3] = {0, 0, 0};
    std::vector<ArkLayoutQuad> vecQuads;
};

struct ArkLayoutEntry {
    bool bHasRect = false;       // false for the first entry
    KXRenderer::KXRectI rc;      // (x, y, x + width, y + height)
    std::vector<ArkLayoutLayer> vecLayers;
};

class CArkLayoutTemplate {
public:
    CArkLayoutTemplate();

    const char* GetString(ArkLayoutString e) const { return m_strBlock.c_str() + m_auString[e]; }
    const char* GetName() const { return GetString(ARK_LS_NAME); }
    const char* GetClass() const { return GetString(ARK_LS_CLASS); }
    // Text at an offset of the block (quad image names); "" for an offset outside it.
    const char* StringAt(uint32_t uOffset) const;
    // Stores a copy of the text (nLen bytes, NUL added) and returns its offset.
    uint32_t AddString(const char* pText, size_t nLen);
    uint32_t AddString(const std::string& str) { return AddString(str.data(), str.size()); }
    void SetString(ArkLayoutString e, const std::string& str) { m_auString[e] = AddString(str); }
    void SetStringOffset(ArkLayoutString e, uint32_t uOffset) { m_auString[e] = uOffset; }
    size_t GetBlockSize() const { return m_strBlock.size(); }

    ArkLayoutBody& Body() { return m_body; }
    const ArkLayoutBody& Body() const { return m_body; }
    bool HasDecorate() const { return m_bHasDecorate; }
    void SetHasDecorate(bool b) { m_bHasDecorate = b; }
    std::vector<ArkLayoutEntry>& Entries() { return m_vecEntries; }
    const std::vector<ArkLayoutEntry>& Entries() const { return m_vecEntries; }

    // Children in file order; the window name of each is its template name.
    const std::vector<std::unique_ptr<CArkLayoutTemplate>>& Children() const { return m_vecChildren; }
    CArkLayoutTemplate* AddChild(const std::string& strName);
    const CArkLayoutTemplate* FindChild(const char* szName) const;

    // True once a component file has been parsed into it (always true for children).
    bool IsLoaded() const { return m_bLoaded; }
    void SetLoaded(bool b) { m_bLoaded = b; }
    // Back to the empty state, keeping the name.
    void Reset();

private:
    std::string m_strBlock;  // starts with one NUL: offset 0 is the empty text
    uint32_t m_auString[ARK_LS_COUNT];
    ArkLayoutBody m_body;
    bool m_bHasDecorate = false;
    std::vector<ArkLayoutEntry> m_vecEntries;
    std::vector<std::unique_ptr<CArkLayoutTemplate>> m_vecChildren;
    bool m_bLoaded = false;
};

// Parses a component file (body and child list) into tmpl, which must be empty. False when the bytes
// are damaged in any way; tmpl is then empty again. Never reads outside [pData, pData + uSize).
bool ParseLayoutComponent(const char* pData, uint32_t uSize, CArkLayoutTemplate& tmpl);

// The component file for a template and its children, as ParseLayoutComponent reads it.
std::string WriteLayoutComponent(const CArkLayoutTemplate& tmpl);
// The root file naming the components.
std::string WriteLayoutRoot(const std::vector<std::string>& vecNames);

}  // namespace ArkGui
