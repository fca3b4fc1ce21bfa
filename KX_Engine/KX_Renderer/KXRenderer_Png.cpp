// The quick PNG path (libdeflate): the file is a signature and a list of chunks, each a 4-byte big-endian
// length, a 4-byte type, the data and a CRC-32 of type and data. IHDR comes first (width, height, bit
// depth, colour type, compression, filter method, interlace), the image data is the concatenation of
// the IDAT chunks (one zlib stream), IEND closes the file. The inflated data is one filter-type byte
// followed by width x 4 bytes R, G, B, A for every row.
#include "KX_Renderer/KXRenderer_Png.h"

#include <libdeflate.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace KXRenderer {

namespace {

const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Larger images are left to SDL2_image; nothing the tool draws comes near.
const uint32_t kMaxSide = 16384;
// Deflate cannot expand a byte to more than 1032 (a 258-byte match costs at least two bits): a
// header that claims more pixels than its data can hold is refused before anything is allocated.
const size_t kMaxInflateRatio = 1032;

uint32_t ReadBigEndian(const unsigned char* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

bool IsType(const unsigned char* pType, const char* szType) { return std::memcmp(pType, szType, 4) == 0; }

// Chunks that carry no pixels and change no colour; any other one (gAMA, iCCP, sRGB, tRNS, PLTE...)
// sends the file to SDL2_image, so that both ways always give the same pixels.
bool IsHarmlessChunk(const unsigned char* pType) {
    return IsType(pType, "tEXt") || IsType(pType, "zTXt") || IsType(pType, "iTXt") || IsType(pType, "tIME") ||
           IsType(pType, "pHYs");
}

bool CrcMatches(const unsigned char* pType, uint32_t nLength) {
    const uint32_t uCrc = static_cast<uint32_t>(libdeflate_crc32(0, pType, static_cast<size_t>(nLength) + 4));
    return uCrc == ReadBigEndian(pType + 4 + nLength);
}

// Pixels are worked on as four bytes R | G << 8 | B << 16 | A << 24, each byte on its own (mod 256).
uint32_t LoadRgba(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t AddBytes(uint32_t a, uint32_t b) { return ((a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu)) ^ ((a ^ b) & 0x80808080u); }
// floor((a + b) / 2) of every byte.
uint32_t AverageBytes(uint32_t a, uint32_t b) { return (a & b) + (((a ^ b) & 0xFEFEFEFEu) >> 1); }
// R | G << 8 | B << 16 | A << 24 and 0xAARRGGBB differ by red and blue changing places, both ways.
uint32_t SwapRedBlue(uint32_t v) { return (v & 0xFF00FF00u) | ((v & 0xFFu) << 16) | ((v >> 16) & 0xFFu); }

uint32_t PaethBytes(uint32_t uLeft, uint32_t uUp, uint32_t uUpLeft) {
    uint32_t uResult = 0;
    for (int nShift = 0; nShift < 32; nShift += 8) {
        const int a = static_cast<int>((uLeft >> nShift) & 0xFF), b = static_cast<int>((uUp >> nShift) & 0xFF),
                  c = static_cast<int>((uUpLeft >> nShift) & 0xFF);
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        const int nPredictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        uResult |= static_cast<uint32_t>(nPredictor) << nShift;
    }
    return uResult;
}

// Undoes the row filters of the inflated data at the start of pBuffer and leaves the pixels in its
// place: row y's output starts y + 1 bytes before its input, so nothing is written over bytes still to
// be read, and the row above, which Up, Average and Paeth look at, is already final.
bool Unfilter(uint32_t* pBuffer, uint32_t nWidth, uint32_t nHeight) {
    const size_t nStride = static_cast<size_t>(nWidth) * 4;
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(pBuffer);
    for (uint32_t y = 0; y < nHeight; ++y) {
        const unsigned char* pIn = pBytes + static_cast<size_t>(y) * (nStride + 1);
        const unsigned char nFilter = *pIn++;
        uint32_t* pOut = pBuffer + static_cast<size_t>(y) * nWidth;
        const uint32_t* pUp = y > 0 ? pOut - nWidth : nullptr;
        uint32_t uLeft = 0, uUpLeft = 0;
        switch (nFilter) {
            case 0:
                for (uint32_t x = 0; x < nWidth; ++x) pOut[x] = SwapRedBlue(LoadRgba(pIn + 4 * x));
                break;
            case 1:
                for (uint32_t x = 0; x < nWidth; ++x) {
                    uLeft = AddBytes(LoadRgba(pIn + 4 * x), uLeft);
                    pOut[x] = SwapRedBlue(uLeft);
                }
                break;
            case 2:
                for (uint32_t x = 0; x < nWidth; ++x) {
                    const uint32_t uUp = pUp ? SwapRedBlue(pUp[x]) : 0;
                    pOut[x] = SwapRedBlue(AddBytes(LoadRgba(pIn + 4 * x), uUp));
                }
                break;
            case 3:
                for (uint32_t x = 0; x < nWidth; ++x) {
                    const uint32_t uUp = pUp ? SwapRedBlue(pUp[x]) : 0;
                    uLeft = AddBytes(LoadRgba(pIn + 4 * x), AverageBytes(uLeft, uUp));
                    pOut[x] = SwapRedBlue(uLeft);
                }
                break;
            case 4:
                for (uint32_t x = 0; x < nWidth; ++x) {
                    const uint32_t uUp = pUp ? SwapRedBlue(pUp[x]) : 0;
                    uLeft = AddBytes(LoadRgba(pIn + 4 * x), PaethBytes(uLeft, uUp, uUpLeft));
                    uUpLeft = uUp;
                    pOut[x] = SwapRedBlue(uLeft);
                }
                break;
            default:
                return false;
        }
    }
    return true;
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* p) const { libdeflate_free_decompressor(p); }
};

}  // namespace

bool DecodePngRgba8(const unsigned char* pData, size_t nSize, int& nWidth, int& nHeight,
                    std::vector<uint32_t>& vecArgb) {
    if (!pData || nSize < sizeof(kSignature) || std::memcmp(pData, kSignature, sizeof(kSignature)) != 0) return false;
    uint32_t uWidth = 0, uHeight = 0;
    // The image data: pointed to in the file when it is one chunk, else gathered here.
    const unsigned char* pImage = nullptr;
    size_t nImage = 0;
    std::vector<unsigned char> vecGathered;
    size_t nDataChunks = 0;
    bool bHeader = false, bDataDone = false, bEnd = false;
    size_t nOffset = sizeof(kSignature);
    while (!bEnd) {
        if (nSize - nOffset < 12) return false;
        const uint32_t nLength = ReadBigEndian(pData + nOffset);
        const unsigned char* pType = pData + nOffset + 4;
        if (nLength > 0x7FFFFFFFu || nSize - nOffset - 12 < nLength) return false;
        const unsigned char* pBody = pType + 4;
        nOffset += 12 + static_cast<size_t>(nLength);
        if (!bHeader) {
            // IHDR: width, height, depth 8, colour type 6 (RGBA), deflate, adaptive filters, no interlace.
            if (!IsType(pType, "IHDR") || nLength != 13 || !CrcMatches(pType, nLength)) return false;
            uWidth = ReadBigEndian(pBody);
            uHeight = ReadBigEndian(pBody + 4);
            if (uWidth == 0 || uHeight == 0 || uWidth > kMaxSide || uHeight > kMaxSide) return false;
            if (pBody[8] != 8 || pBody[9] != 6 || pBody[10] != 0 || pBody[11] != 0 || pBody[12] != 0) return false;
            bHeader = true;
        } else if (IsType(pType, "IDAT")) {
            // The data chunks follow one another; one after another kind of chunk is a broken file.
            if (bDataDone || !CrcMatches(pType, nLength)) return false;
            if (nDataChunks == 0) {
                pImage = pBody;
                nImage = nLength;
            } else {
                if (nDataChunks == 1) vecGathered.assign(pImage, pImage + nImage);
                vecGathered.insert(vecGathered.end(), pBody, pBody + nLength);
            }
            ++nDataChunks;
        } else {
            if (nDataChunks > 0) bDataDone = true;
            if (IsType(pType, "IEND")) {
                bEnd = true;
            } else if (!IsHarmlessChunk(pType)) {
                return false;
            }
        }
    }
    if (nDataChunks == 0) return false;
    if (nDataChunks > 1) {
        pImage = vecGathered.data();
        nImage = vecGathered.size();
    }
    const size_t nInflated = static_cast<size_t>(uHeight) * (static_cast<size_t>(uWidth) * 4 + 1);
    if (nInflated / kMaxInflateRatio > nImage) return false;
    // The inflated rows are one filter byte longer than the pixels: the buffer holds them, the
    // pixels are made in its place, and the surplus at the end is cut off.
    vecArgb.resize((nInflated + 3) / 4);
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> pDecompressor(libdeflate_alloc_decompressor());
    if (!pDecompressor) return false;
    if (libdeflate_zlib_decompress(pDecompressor.get(), pImage, nImage, vecArgb.data(), nInflated, nullptr) !=
        LIBDEFLATE_SUCCESS) {
        return false;
    }
    if (!Unfilter(vecArgb.data(), uWidth, uHeight)) return false;
    vecArgb.resize(static_cast<size_t>(uWidth) * static_cast<size_t>(uHeight));
    nWidth = static_cast<int>(uWidth);
    nHeight = static_cast<int>(uHeight);
    return true;
}

}  // namespace KXRenderer
