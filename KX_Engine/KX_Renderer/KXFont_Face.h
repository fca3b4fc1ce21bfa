// One FreeType face at one pixel size, behind a handle without FreeType types; the only users are the
// font's glyph cache (KXFont.cpp) and the counting of FreeType calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace KXRenderer {

// One rasterised glyph: an 8-bit coverage bitmap and its placement against the pen on the baseline.
struct KXGlyphBitmap {
    int nWidth = 0;
    int nHeight = 0;
    int nLeft = 0;      // pixels from the pen to the bitmap's left edge
    int nTop = 0;       // pixels from the baseline up to the bitmap's top edge
    int nAdvance = 0;   // pixels the pen moves on
    std::vector<uint8_t> vecCoverage;  // nWidth x nHeight, rows top to bottom, 0..255
};

// Random access to a font file's bytes. FreeType reads the tables and glyphs it needs when it needs
// them, so a face never holds its whole file (the CJK faces run to megabytes each).
class IKXFontSource {
public:
    virtual ~IKXFontSource() = default;
    virtual uint32_t GetSize() const = 0;
    // Copies up to uCount bytes from uOffset into pOut; returns how many.
    virtual uint32_t ReadAt(uint32_t uOffset, unsigned char* pOut, uint32_t uCount) = 0;
};

class CKXFontFace {
public:
    // The face reads its file through pSource for as long as it lives; faces of one file at several
    // sizes may share one source (each read says where). Face 0 of a collection. Null with the reason
    // in strError.
    static std::unique_ptr<CKXFontFace> Open(std::shared_ptr<IKXFontSource> pSource, int nPixelSize, std::string& strError);
    ~CKXFontFace();
    CKXFontFace(const CKXFontFace&) = delete;
    CKXFontFace& operator=(const CKXFontFace&) = delete;

    int GetAscent() const { return m_nAscent; }
    int GetLineHeight() const { return m_nLineHeight; }
    // Rasterises a code point (the face's missing-glyph box when it has none); false when FreeType fails.
    bool RenderGlyph(uint32_t uCodePoint, KXGlyphBitmap& out);

    // FreeType calls made by every face of the process.
    static uint64_t GetCallCount();

    struct Impl;

private:
    explicit CKXFontFace(std::unique_ptr<Impl> pImpl);
    std::unique_ptr<Impl> m_pImpl;
    int m_nAscent = 0;
    int m_nLineHeight = 0;
};

}  // namespace KXRenderer
