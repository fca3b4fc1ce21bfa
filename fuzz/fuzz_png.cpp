// PNG files on hostile bytes, both ways in: what the quick path decodes, SDL2_image must decode to the
// very same pixels, and the quick path never hands out more pixels than its header promised.
#include "NcFuzz_Support.h"

#include "KX_Renderer/KXRenderer_Image.h"
#include "KX_Renderer/KXRenderer_Png.h"

#include <libdeflate.h>

#include <vector>

namespace {

// Plain mode: every chunk's CRC is written right before decoding, so the fuzzer steers the fields
// instead of fighting the checksum.
void FixCrcs(std::vector<unsigned char>& vec) {
    size_t nOffset = 8;
    while (vec.size() >= nOffset + 12) {
        const size_t nLength = (static_cast<size_t>(vec[nOffset]) << 24) | (static_cast<size_t>(vec[nOffset + 1]) << 16) |
                               (static_cast<size_t>(vec[nOffset + 2]) << 8) | vec[nOffset + 3];
        if (vec.size() - nOffset - 12 < nLength) return;
        const uint32_t uCrc = static_cast<uint32_t>(libdeflate_crc32(0, &vec[nOffset + 4], nLength + 4));
        for (int i = 0; i < 4; ++i) vec[nOffset + 8 + nLength + i] = static_cast<unsigned char>(uCrc >> (24 - 8 * i));
        nOffset += 12 + nLength;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t uSize) {
    ncfuzz::Init();
    ncfuzz::Reader reader(pData, uSize);
    const bool bPlain = (reader.Byte() & 1) != 0;
    const std::string strRest = reader.Rest();
    std::vector<unsigned char> vecFile(strRest.begin(), strRest.end());
    if (bPlain) FixCrcs(vecFile);

    int nWidth = 0, nHeight = 0;
    std::vector<uint32_t> vecQuick;
    if (!KXRenderer::DecodePngRgba8(vecFile.data(), vecFile.size(), nWidth, nHeight, vecQuick)) return 0;
    NCFUZZ_CHECK(nWidth > 0 && nHeight > 0);
    NCFUZZ_CHECK(vecQuick.size() == static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    int nSdlWidth = 0, nSdlHeight = 0;
    std::vector<uint32_t> vecSdl;
    const char* szError = "";
    NCFUZZ_CHECK(KXRenderer::DecodeImageGeneral(vecFile, nSdlWidth, nSdlHeight, vecSdl, szError));
    NCFUZZ_CHECK(nSdlWidth == nWidth && nSdlHeight == nHeight);
    NCFUZZ_CHECK(vecSdl == vecQuick);
    return 0;
}
