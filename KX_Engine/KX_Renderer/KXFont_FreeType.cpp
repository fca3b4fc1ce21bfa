// One FreeType face at one pixel size; the only file that includes FreeType. Every FreeType call goes
// through CountedCall so that tests and benchmarks can prove a steady frame makes none.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <atomic>
#include <mutex>

#include "KX_Renderer/KXFont_Face.h"

namespace KXRenderer {

namespace {

std::atomic<uint64_t> g_uFreeTypeCalls{0};

// The library is shared by every face and lives while any face does.
std::mutex g_libraryMutex;
FT_Library g_library = nullptr;
int g_nLibraryUsers = 0;

template <typename F>
auto CountedCall(F&& call) -> decltype(call()) {
    ++g_uFreeTypeCalls;
    return call();
}

bool AcquireLibrary() {
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    if (g_nLibraryUsers == 0 && CountedCall([] { return FT_Init_FreeType(&g_library); }) != 0) {
        g_library = nullptr;
        return false;
    }
    ++g_nLibraryUsers;
    return true;
}

void ReleaseLibrary() {
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    if (--g_nLibraryUsers == 0) {
        CountedCall([] { return FT_Done_FreeType(g_library); });
        g_library = nullptr;
    }
}

// 26.6 fixed point to whole pixels, rounding up so that a line box holds every glyph.
int CeilPixels(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

// FreeType's stream reader: a count of 0 is a seek, which fails (non-zero) only past the end.
unsigned long ReadStream(FT_Stream pStream, unsigned long uOffset, unsigned char* pBuffer, unsigned long uCount) {
    auto* pSource = static_cast<IKXFontSource*>(pStream->descriptor.pointer);
    if (uCount == 0) return uOffset > pStream->size ? 1 : 0;
    if (uOffset >= pStream->size) return 0;
    return pSource->ReadAt(static_cast<uint32_t>(uOffset), pBuffer, static_cast<uint32_t>(uCount));
}

}  // namespace

struct CKXFontFace::Impl {
    std::shared_ptr<IKXFontSource> pSource;
    FT_StreamRec stream{};  // FreeType keeps a pointer to it while the face lives
    FT_Face face = nullptr;
};

CKXFontFace::CKXFontFace(std::unique_ptr<Impl> pImpl) : m_pImpl(std::move(pImpl)) {
    const FT_Size_Metrics& metrics = m_pImpl->face->size->metrics;
    m_nAscent = CeilPixels(metrics.ascender);
    m_nLineHeight = CeilPixels(metrics.height);
    if (m_nLineHeight < m_nAscent) m_nLineHeight = m_nAscent;
}

CKXFontFace::~CKXFontFace() {
    CountedCall([this] { return FT_Done_Face(m_pImpl->face); });
    ReleaseLibrary();
}

std::unique_ptr<CKXFontFace> CKXFontFace::Open(std::shared_ptr<IKXFontSource> pSource, int nPixelSize,
                                               std::string& strError) {
    if (nPixelSize <= 0 || !pSource) {
        strError = "bad pixel size";
        return nullptr;
    }
    if (!AcquireLibrary()) {
        strError = "FreeType did not start";
        return nullptr;
    }
    auto pImpl = std::make_unique<Impl>();
    pImpl->pSource = std::move(pSource);
    pImpl->stream.size = pImpl->pSource->GetSize();
    pImpl->stream.descriptor.pointer = pImpl->pSource.get();
    pImpl->stream.read = ReadStream;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &pImpl->stream;
    FT_Face face = nullptr;
    FT_Error err = CountedCall([&] { return FT_Open_Face(g_library, &args, 0, &face); });
    if (err != 0) {
        strError = "not a font file";
        ReleaseLibrary();
        return nullptr;
    }
    if (CountedCall([&] { return FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(nPixelSize)); }) != 0) {
        strError = "the face has no such size";
        CountedCall([&] { return FT_Done_Face(face); });
        ReleaseLibrary();
        return nullptr;
    }
    pImpl->face = face;
    return std::unique_ptr<CKXFontFace>(new CKXFontFace(std::move(pImpl)));
}

bool CKXFontFace::RenderGlyph(uint32_t uCodePoint, KXGlyphBitmap& out) {
    FT_Face face = m_pImpl->face;
    // Embedded bitmaps are kept: the CJK faces carry hand-tuned ones at small sizes, which read better.
    if (CountedCall([&] { return FT_Load_Char(face, uCodePoint, FT_LOAD_RENDER); }) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    out.nWidth = static_cast<int>(bitmap.width);
    out.nHeight = static_cast<int>(bitmap.rows);
    out.nLeft = slot->bitmap_left;
    out.nTop = slot->bitmap_top;
    out.nAdvance = static_cast<int>((slot->advance.x + 32) >> 6);
    out.vecCoverage.assign(static_cast<size_t>(out.nWidth) * static_cast<size_t>(out.nHeight), 0);
    for (int y = 0; y < out.nHeight; ++y) {
        const unsigned char* pRow = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        uint8_t* pOut = &out.vecCoverage[static_cast<size_t>(y) * static_cast<size_t>(out.nWidth)];
        for (int x = 0; x < out.nWidth; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                pOut[x] = (pRow[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                pOut[x] = static_cast<uint8_t>(bitmap.num_grays > 1 ? pRow[x] * 255 / (bitmap.num_grays - 1) : pRow[x]);
            }
        }
    }
    return true;
}

uint64_t CKXFontFace::GetCallCount() { return g_uFreeTypeCalls.load(); }

}  // namespace KXRenderer
