// A font: a face and its glyph cache in textures, measuring and laying out GBK text.
#include "KX_Renderer/KXFont.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

#include "KX_Kernal/fileandpath/KXKernal_File.h"
#include "KX_Kernal/logger/KXKernal_Logger.h"
#include "KX_Renderer/KXFont_Face.h"
#include "KX_Renderer/KXFont_Gbk.h"

namespace KXRenderer {

namespace {

// Glyph pages are square; a page holds about two hundred glyphs of the sizes the GUI uses.
constexpr int kPageSize = 256;
// A font that has filled this many pages drops its cache and starts over (a text of thousands of
// different characters), so a font never holds more than about this many pages (256 KB each, and as
// much again on the device).
constexpr size_t kMaxPages = 8;
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

// A font file read where it lies, on disk or in a pack, a few bytes at a time.
class CFileFontSource : public IKXFontSource {
public:
    explicit CFileFontSource(std::unique_ptr<CKXKernal_File> pFile) : m_pFile(std::move(pFile)) {}
    uint32_t GetSize() const override { return static_cast<uint32_t>(m_pFile->GetSize()); }
    uint32_t ReadAt(uint32_t uOffset, unsigned char* pOut, uint32_t uCount) override {
        if (uOffset >= GetSize()) return 0;
        uCount = std::min(uCount, GetSize() - uOffset);
        m_pFile->Seek(static_cast<int32_t>(uOffset));
        return m_pFile->Read(pOut, 1, uCount);
    }

private:
    std::unique_ptr<CKXKernal_File> m_pFile;
};

// A scrambled file in a pack unscrambles only from its start, so it is read whole.
class CMemoryFontSource : public IKXFontSource {
public:
    explicit CMemoryFontSource(std::vector<unsigned char> vecData) : m_vecData(std::move(vecData)) {}
    uint32_t GetSize() const override { return static_cast<uint32_t>(m_vecData.size()); }
    uint32_t ReadAt(uint32_t uOffset, unsigned char* pOut, uint32_t uCount) override {
        if (uOffset >= GetSize()) return 0;
        uCount = std::min(uCount, GetSize() - uOffset);
        std::memcpy(pOut, m_vecData.data() + uOffset, uCount);
        return uCount;
    }

private:
    std::vector<unsigned char> m_vecData;
};

std::shared_ptr<IKXFontSource> OpenFontSource(const char* szTag, const char* szFileName) {
    if (!szFileName || !*szFileName) {
        ArkLog(WL_ERROR, M_Engine, "%s empty file name", szTag);
        return nullptr;
    }
    std::unique_ptr<CKXKernal_File> pFile = OpenFile(szFileName, true);
    if (!pFile) {
        ArkLog(WL_ERROR, M_Engine, "%s cannot open %s", szTag, szFileName);
        return nullptr;
    }
    if (pFile->GetSize() <= 0) {
        ArkLog(WL_ERROR, M_Engine, "%s %s is empty", szTag, szFileName);
        return nullptr;
    }
    if (!pFile->IsScrambled()) return std::make_shared<CFileFontSource>(std::move(pFile));
    std::vector<unsigned char> vecData(static_cast<size_t>(pFile->GetSize()));
    if (pFile->Read(vecData.data(), 1, static_cast<uint32_t>(vecData.size())) != vecData.size()) {
        ArkLog(WL_ERROR, M_Engine, "%s cannot read %s", szTag, szFileName);
        return nullptr;
    }
    return std::make_shared<CMemoryFontSource>(std::move(vecData));
}

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
    // Called on entry of every operation, where no glyph quad of this font is held any more.
    void TrimIfFull();
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

void CKXFont::Impl::TrimIfFull() {
    if (vecPages.size() < kMaxPages) return;
    vecPages.clear();
    mapGlyphs.clear();
    std::fill(std::begin(asciiLoaded), std::end(asciiLoaded), false);
    nPenX = nPenY = nRowHeight = 0;
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
    // The GUI opens each file at several sizes: one open file serves them all while any face lives.
    static std::map<std::string, std::weak_ptr<IKXFontSource>> s_mapFiles;
    const std::string strName = szFileName ? szFileName : "";
    std::shared_ptr<IKXFontSource> pSource = s_mapFiles[strName].lock();
    if (!pSource) {
        pSource = OpenFontSource(kTag, szFileName);
        if (!pSource) return nullptr;
        s_mapFiles[strName] = pSource;
    }
    std::string strError;
    std::unique_ptr<CKXFontFace> pFace = CKXFontFace::Open(std::move(pSource), nPixelSize, strError);
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
size_t CKXFont::GetPageCount() const { return m_pImpl->vecPages.size(); }
uint64_t CKXFont::GetFreeTypeCallCount() { return CKXFontFace::GetCallCount(); }

int CKXFont::MeasureText(const char* szGbk, int nLen) {
    if (!szGbk) return 0;
    m_pImpl->TrimIfFull();
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
    m_pImpl->TrimIfFull();
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
    m_pImpl->TrimIfFull();
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
