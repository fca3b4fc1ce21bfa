// A font: a face and its glyph cache in textures, measuring and laying out GBK text.
#include "KX_Renderer/KXFont.h"

#include <cstring>
#include <map>
#include <unordered_map>

#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXFont_Face.h"
#include "KX_Renderer/KXFont_Gbk.h"
#include "KX_Renderer/KXRenderer_ReadFile.h"

namespace KXRenderer {

namespace {

// Glyph pages are square; a page holds a few hundred glyphs of the sizes the GUI uses.
constexpr int kPageSize = 512;
// Empty texels between glyphs so that a scaled draw never picks up a neighbour.
constexpr int kGlyphGap = 1;

struct CachedGlyph {
    int nPage = -1;  // -1: nothing to draw (a space)
    KXRectF rcSource;
    int nLeft = 0;
    int nTop = 0;
    int nWidth = 0;
    int nHeight = 0;
    int nAdvance = 0;
};

bool IsLineBreak(uint32_t cp) { return cp == '\n' || cp == '\r'; }

}  // namespace

struct CKXFont::Impl {
    std::string strFileName;
    int nPixelSize = 0;
    std::unique_ptr<CKXFontFace> pFace;
    // ASCII by index, everything else by code point.
    CachedGlyph asciiGlyphs[128];
    bool asciiLoaded[128] = {};
    std::unordered_map<uint32_t, CachedGlyph> mapGlyphs;
    size_t nCached = 0;
    std::vector<std::shared_ptr<CKXTexture>> vecPages;
    // Shelf packing on the last page: the pen and the height of the current row.
    int nPenX = 0;
    int nPenY = 0;
    int nRowHeight = 0;

    const CachedGlyph& Get(uint32_t cp);
    void Rasterise(uint32_t cp, CachedGlyph& glyph);
    bool Place(int nWidth, int nHeight, int& nX, int& nY);
    int Length(const char* szGbk, int nLen) const {
        return nLen < 0 ? static_cast<int>(std::strlen(szGbk)) : nLen;
    }
};

const CachedGlyph& CKXFont::Impl::Get(uint32_t cp) {
    if (cp < 128) {
        if (!asciiLoaded[cp]) {
            asciiLoaded[cp] = true;
            Rasterise(cp, asciiGlyphs[cp]);
        }
        return asciiGlyphs[cp];
    }
    auto it = mapGlyphs.find(cp);
    if (it != mapGlyphs.end()) return it->second;
    CachedGlyph& glyph = mapGlyphs[cp];
    Rasterise(cp, glyph);
    return glyph;
}

bool CKXFont::Impl::Place(int nWidth, int nHeight, int& nX, int& nY) {
    if (nWidth + kGlyphGap > kPageSize || nHeight + kGlyphGap > kPageSize) return false;
    if (!vecPages.empty() && nPenX + nWidth + kGlyphGap > kPageSize) {
        nPenX = 0;
        nPenY += nRowHeight;
        nRowHeight = 0;
    }
    if (vecPages.empty() || nPenY + nHeight + kGlyphGap > kPageSize) {
        // Transparent white: the glyph colour comes from the modulation, the coverage is the alpha.
        std::vector<uint32_t> vecPixels(static_cast<size_t>(kPageSize) * kPageSize, 0x00FFFFFFu);
        vecPages.push_back(std::make_shared<CKXTexture>(std::string(), kPageSize, kPageSize, std::move(vecPixels)));
        nPenX = 0;
        nPenY = 0;
        nRowHeight = 0;
    }
    nX = nPenX;
    nY = nPenY;
    nPenX += nWidth + kGlyphGap;
    if (nHeight + kGlyphGap > nRowHeight) nRowHeight = nHeight + kGlyphGap;
    return true;
}

void CKXFont::Impl::Rasterise(uint32_t cp, CachedGlyph& glyph) {
    ++nCached;
    if (IsLineBreak(cp)) return;  // zero width, nothing drawn
    KXGlyphBitmap bitmap;
    if (!pFace->RenderGlyph(cp, bitmap)) {
        ArkLog(WL_WARNING, M_Engine, "%s %s has no glyph U+%04X", "CKXFont::Rasterise", strFileName.c_str(), cp);
        return;
    }
    glyph.nAdvance = bitmap.nAdvance;
    glyph.nLeft = bitmap.nLeft;
    glyph.nTop = bitmap.nTop;
    glyph.nWidth = bitmap.nWidth;
    glyph.nHeight = bitmap.nHeight;
    if (bitmap.nWidth <= 0 || bitmap.nHeight <= 0) return;
    int nX = 0, nY = 0;
    if (!Place(bitmap.nWidth, bitmap.nHeight, nX, nY)) return;
    CKXTexture& page = *vecPages.back();
    uint32_t* pPixels = page.MutablePixels();
    for (int y = 0; y < bitmap.nHeight; ++y) {
        for (int x = 0; x < bitmap.nWidth; ++x) {
            uint32_t a = bitmap.vecCoverage[static_cast<size_t>(y) * bitmap.nWidth + x];
            pPixels[static_cast<size_t>(nY + y) * kPageSize + (nX + x)] = (a << 24) | 0x00FFFFFFu;
        }
    }
    page.Touch();
    glyph.nPage = static_cast<int>(vecPages.size()) - 1;
    glyph.rcSource = KXRectF{static_cast<float>(nX), static_cast<float>(nY), static_cast<float>(nX + bitmap.nWidth),
                             static_cast<float>(nY + bitmap.nHeight)};
}

std::shared_ptr<CKXFont> CKXFont::Open(const char* szFileName, int nPixelSize) {
    static const char* const kTag = "CKXFont::Open";
    // The font files are large (CJK faces run to megabytes) and the GUI opens each at several sizes:
    // the bytes are read once and shared while any face of the file lives.
    static std::map<std::string, std::weak_ptr<const std::vector<unsigned char>>> s_mapFiles;
    const std::string strName = szFileName ? szFileName : "";
    std::shared_ptr<const std::vector<unsigned char>> pData = s_mapFiles[strName].lock();
    if (!pData) {
        auto pRead = std::make_shared<std::vector<unsigned char>>();
        if (!ReadResourceFile(kTag, szFileName, *pRead)) return nullptr;
        pData = pRead;
        s_mapFiles[strName] = pData;
    }
    std::string strError;
    std::unique_ptr<CKXFontFace> pFace = CKXFontFace::Open(std::move(pData), nPixelSize, strError);
    if (!pFace) {
        ArkLog(WL_ERROR, M_Engine, "%s %s at %d px: %s", kTag, szFileName, nPixelSize, strError.c_str());
        return nullptr;
    }
    auto pImpl = std::make_unique<Impl>();
    pImpl->strFileName = szFileName;
    pImpl->nPixelSize = nPixelSize;
    pImpl->pFace = std::move(pFace);
    return std::shared_ptr<CKXFont>(new CKXFont(std::move(pImpl)));
}

CKXFont::CKXFont(std::unique_ptr<Impl> pImpl) : m_pImpl(std::move(pImpl)) {}
CKXFont::~CKXFont() = default;

const std::string& CKXFont::GetFileName() const { return m_pImpl->strFileName; }
int CKXFont::GetPixelSize() const { return m_pImpl->nPixelSize; }
int CKXFont::GetAscent() const { return m_pImpl->pFace->GetAscent(); }
int CKXFont::GetLineHeight() const { return m_pImpl->pFace->GetLineHeight(); }
size_t CKXFont::GetCachedGlyphCount() const { return m_pImpl->nCached; }
uint64_t CKXFont::GetFreeTypeCallCount() { return CKXFontFace::GetCallCount(); }

int CKXFont::MeasureText(const char* szGbk, int nLen) {
    if (!szGbk) return 0;
    nLen = m_pImpl->Length(szGbk, nLen);
    int nWidth = 0;
    for (int i = 0; i < nLen;) {
        uint32_t cp = 0;
        i += DecodeGbkChar(szGbk, nLen, i, cp);
        nWidth += m_pImpl->Get(cp).nAdvance;
    }
    return nWidth;
}

int CKXFont::HitTestText(const char* szGbk, int nLen, int nX) {
    if (!szGbk) return 0;
    nLen = m_pImpl->Length(szGbk, nLen);
    int nPen = 0;
    for (int i = 0; i < nLen;) {
        uint32_t cp = 0;
        int nBytes = DecodeGbkChar(szGbk, nLen, i, cp);
        int nAdvance = m_pImpl->Get(cp).nAdvance;
        // Left of a character's middle the caret goes before it.
        if (nX < nPen + nAdvance / 2) return i;
        nPen += nAdvance;
        i += nBytes;
    }
    return nLen;
}

void CKXFont::LayoutText(const char* szGbk, int nLen, float fX, float fY, std::vector<KXGlyphQuad>& vecOut) {
    if (!szGbk) return;
    nLen = m_pImpl->Length(szGbk, nLen);
    const float fBaseline = fY + static_cast<float>(GetAscent());
    float fPen = fX;
    for (int i = 0; i < nLen;) {
        uint32_t cp = 0;
        i += DecodeGbkChar(szGbk, nLen, i, cp);
        const CachedGlyph& glyph = m_pImpl->Get(cp);
        if (glyph.nPage >= 0) {
            KXGlyphQuad quad;
            quad.pPage = m_pImpl->vecPages[static_cast<size_t>(glyph.nPage)].get();
            quad.rcSource = glyph.rcSource;
            const float fLeft = fPen + static_cast<float>(glyph.nLeft);
            const float fTop = fBaseline - static_cast<float>(glyph.nTop);
            quad.rcDest = KXRectF{fLeft, fTop, fLeft + static_cast<float>(glyph.nWidth),
                                  fTop + static_cast<float>(glyph.nHeight)};
            vecOut.push_back(quad);
        }
        fPen += static_cast<float>(glyph.nAdvance);
    }
}

}  // namespace KXRenderer
