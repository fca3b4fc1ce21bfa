// A font face: a TrueType file rasterised at one pixel size, with its glyphs cached in textures.
//
// Text is GBK; it is turned into code points here and nowhere else. The first use of a character
// rasterises it into one of the font's glyph pages (textures of white pixels whose alpha is the
// coverage, so drawing them with a colour gives coloured text); later measuring and drawing of that
// character make no FreeType call at all, until a font that filled its pages starts over. The file
// itself is read a few bytes at a time as FreeType needs them, never whole. Line feeds and carriage
// returns are zero-width and never drawn: callers lay out lines themselves. Bytes that are no valid
// GBK are drawn as '?'.
//
// A font does not need a renderer: measuring works headless. Drawing goes through
// IKXRenderer::DrawText, which asks the font for its glyph quads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "KX_Renderer/KXRenderer_Types.h"
#include "KX_Renderer/KXTexture.h"

namespace KXRenderer {

// One glyph to draw: a source rectangle of a glyph page (texels) and where it goes (target pixels).
struct KXGlyphQuad {
    const CKXTexture* pPage = nullptr;
    KXRectF rcSource;
    KXRectF rcDest;
};

class CKXFont {
public:
    // Opens a TrueType (or TrueType collection, first face) file by name through the file layer at a
    // pixel size (the em height in pixels). Null and one log line when the file or the face fails.
    static std::shared_ptr<CKXFont> Open(const char* szFileName, int nPixelSize);

    ~CKXFont();
    CKXFont(const CKXFont&) = delete;
    CKXFont& operator=(const CKXFont&) = delete;

    const std::string& GetFileName() const;
    int GetPixelSize() const;
    // Pixels from the top of a line box to the baseline, and from line to line.
    int GetAscent() const;
    int GetLineHeight() const;

    // Advance width in pixels of the first nLen bytes of szGbk (nLen < 0: up to the terminating NUL).
    // A lead byte whose trail byte lies beyond nLen counts as an invalid byte.
    int MeasureText(const char* szGbk, int nLen = -1);
    // The byte offset of the character boundary nearest to nX pixels from the start of the text
    // (placing a caret by a click); never splits a double-byte character.
    int HitTestText(const char* szGbk, int nLen, int nX);

    // Appends one quad per visible glyph for text whose line box has its top-left at (fX, fY) in target
    // pixels. The page pointers stay valid as long as the font lives.
    void LayoutText(const char* szGbk, int nLen, float fX, float fY, std::vector<KXGlyphQuad>& vecOut);

    // Number of glyphs rasterised so far by this font.
    size_t GetCachedGlyphCount() const;
    // Glyph pages held now; bounded: a font that fills its pages starts its cache over.
    size_t GetPageCount() const;

    // FreeType calls made by every font in the process since it started; tests and benchmarks read it
    // before and after a frame to prove that a steady frame makes none.
    static uint64_t GetFreeTypeCallCount();

    struct Impl;

private:
    explicit CKXFont(std::unique_ptr<Impl> pImpl);
    std::unique_ptr<Impl> m_pImpl;
};

}  // namespace KXRenderer
