// The quick PNG path: the same pixels as SDL2_image for every file it takes, every other file left to
// SDL2_image, and hostile bytes never read out of bounds or make it allocate for pixels that are not there.
#include <gtest/gtest.h>
#include <libdeflate.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "KX_Renderer/KXRenderer_Image.h"
#include "KX_Renderer/KXRenderer_Png.h"
#include "common/NcTest_Paths.h"

using namespace KXRenderer;

namespace {

using Bytes = std::vector<unsigned char>;

void PutBigEndian(Bytes& vec, uint32_t u) {
    for (int nShift = 24; nShift >= 0; nShift -= 8) vec.push_back(static_cast<unsigned char>(u >> nShift));
}

void PutChunk(Bytes& vec, const char* szType, const Bytes& vecData) {
    PutBigEndian(vec, static_cast<uint32_t>(vecData.size()));
    Bytes vecTyped(szType, szType + 4);
    vecTyped.insert(vecTyped.end(), vecData.begin(), vecData.end());
    vec.insert(vec.end(), vecTyped.begin(), vecTyped.end());
    PutBigEndian(vec, static_cast<uint32_t>(libdeflate_crc32(0, vecTyped.data(), vecTyped.size())));
}

struct PngRecipe {
    uint8_t nColourType = 6;                 // 6 RGBA, 2 RGB
    uint8_t nInterlace = 0;
    size_t nDataChunk = 0;                   // bytes per IDAT chunk; 0: one chunk
    std::vector<std::string> vecExtraChunks;  // ancillary chunks before the data
    int nSurplusRows = 0;                    // rows compressed beyond the height (negative: fewer)
    int nBadFilterRow = -1;                  // this row gets filter type 5, which does not exist
};

// Encodes pixels 0xAARRGGBB with row y filtered by filter type y % 5, as any encoder may mix them.
Bytes EncodePng(int nW, int nH, const std::vector<uint32_t>& vecArgb, const PngRecipe& recipe = PngRecipe()) {
    const size_t nBpp = recipe.nColourType == 6 ? 4 : 3, nStride = static_cast<size_t>(nW) * nBpp;
    Bytes vecRaw, vecPrev(nStride, 0);
    for (int y = 0; y < nH + recipe.nSurplusRows; ++y) {
        Bytes vecRow;
        for (int x = 0; x < nW; ++x) {
            const uint32_t u = vecArgb[static_cast<size_t>(y % nH) * nW + x];
            for (int nShift : {16, 8, 0, 24}) {
                if (nShift != 24 || nBpp == 4) vecRow.push_back(static_cast<unsigned char>(u >> nShift));
            }
        }
        const int nFilter = y == recipe.nBadFilterRow ? 0 : y % 5;
        vecRaw.push_back(static_cast<unsigned char>(y == recipe.nBadFilterRow ? 5 : nFilter));
        for (size_t i = 0; i < nStride; ++i) {
            const int a = i >= nBpp ? vecRow[i - nBpp] : 0, b = vecPrev[i], c = i >= nBpp ? vecPrev[i - nBpp] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int aPredict[5] = {0, a, b, (a + b) / 2, (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c)};
            vecRaw.push_back(static_cast<unsigned char>(vecRow[i] - aPredict[nFilter]));
        }
        vecPrev = vecRow;
    }
    if (recipe.nSurplusRows < 0) vecRaw.resize(static_cast<size_t>(nH + recipe.nSurplusRows) * (nStride + 1));
    libdeflate_compressor* pCompressor = libdeflate_alloc_compressor(6);
    Bytes vecZ(libdeflate_zlib_compress_bound(pCompressor, vecRaw.size()));
    vecZ.resize(libdeflate_zlib_compress(pCompressor, vecRaw.data(), vecRaw.size(), vecZ.data(), vecZ.size()));
    libdeflate_free_compressor(pCompressor);

    Bytes vecPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, vecHeader;
    PutBigEndian(vecHeader, static_cast<uint32_t>(nW));
    PutBigEndian(vecHeader, static_cast<uint32_t>(nH));
    vecHeader.insert(vecHeader.end(), {8, recipe.nColourType, 0, 0, recipe.nInterlace});
    PutChunk(vecPng, "IHDR", vecHeader);
    for (const std::string& strType : recipe.vecExtraChunks) {
        static const std::map<std::string, Bytes> kBodies = {{"tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'}},
                                                             {"pHYs", {0, 0, 11, 19, 0, 0, 11, 19, 1}},
                                                             {"gAMA", {0, 0, 0xB1, 0x8F}}};
        PutChunk(vecPng, strType.c_str(), kBodies.at(strType));
    }
    const size_t nStep = recipe.nDataChunk ? recipe.nDataChunk : vecZ.size();
    for (size_t i = 0; i < vecZ.size(); i += nStep) {
        PutChunk(vecPng, "IDAT", Bytes(vecZ.begin() + i, vecZ.begin() + std::min(vecZ.size(), i + nStep)));
        if (i == 0 && recipe.nDataChunk) PutChunk(vecPng, "IDAT", Bytes());  // empty chunks are allowed
    }
    PutChunk(vecPng, "IEND", Bytes());
    return vecPng;
}

std::vector<uint32_t> RandomPixels(int nCount, uint32_t uSeed) {
    std::mt19937 rng(uSeed);
    std::vector<uint32_t> vec(static_cast<size_t>(nCount));
    // Noise, a few repeated colours (runs, as art has) and small channel values (Paeth's ties).
    for (uint32_t& u : vec) {
        const uint32_t uKind = rng() % 3;
        u = uKind == 0 ? rng() : uKind == 1 ? (rng() % 5) * 0x01234567u : rng() & 0x03030303u;
    }
    return vec;
}

bool Quick(const Bytes& vecPng, std::vector<uint32_t>& vecArgb, int& nW, int& nH) {
    return DecodePngRgba8(vecPng.data(), vecPng.size(), nW, nH, vecArgb);
}

TEST(Png, QuickPathGivesTheSamePixelsAsSdlImageForEveryFilterAndChunking) {
    const int nW = 37, nH = 23;
    const std::vector<uint32_t> vecPixels = RandomPixels(nW * nH, 7);
    PngRecipe manyChunks, textChunks;
    manyChunks.nDataChunk = 7;
    textChunks.vecExtraChunks = {"tEXt", "pHYs"};
    for (const PngRecipe& recipe : {PngRecipe(), manyChunks, textChunks}) {
        const Bytes vecPng = EncodePng(nW, nH, vecPixels, recipe);
        std::vector<uint32_t> vecQuick, vecSdl;
        int nW1 = 0, nH1 = 0, nW2 = 0, nH2 = 0;
        const char* szError = "";
        ASSERT_TRUE(Quick(vecPng, vecQuick, nW1, nH1)) << "chunk size " << recipe.nDataChunk;
        ASSERT_TRUE(DecodeImageGeneral(vecPng, nW2, nH2, vecSdl, szError)) << szError;
        EXPECT_EQ(nW1, nW);
        EXPECT_EQ(nH1, nH);
        EXPECT_EQ(vecQuick, vecPixels);
        EXPECT_EQ(vecSdl, vecPixels);
    }
}

// The art must stay in the form the quick path takes, or every start-up silently gets slow again.
TEST(Png, EveryShippedPictureTakesTheQuickPath) {
    const std::filesystem::path dir = std::filesystem::path(NcTestSourceDir()) / "data/interface/art";
    int nCount = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".png") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes vecPng((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<uint32_t> vecQuick, vecSdl;
        int nW1 = 0, nH1 = 0, nW2 = 0, nH2 = 0;
        const char* szError = "";
        EXPECT_TRUE(Quick(vecPng, vecQuick, nW1, nH1)) << entry.path();
        ASSERT_TRUE(DecodeImageGeneral(vecPng, nW2, nH2, vecSdl, szError)) << entry.path() << ": " << szError;
        EXPECT_TRUE(nW1 == nW2 && nH1 == nH2 && vecQuick == vecSdl) << entry.path();
        ++nCount;
    }
    EXPECT_GT(nCount, 30);
}

TEST(Png, OtherKindsAndBrokenFilesAreLeftToSdlImage) {
    const int nW = 9, nH = 6;
    const std::vector<uint32_t> vecPixels = RandomPixels(nW * nH, 3);
    std::vector<uint32_t> vecArgb;
    int nW1 = 0, nH1 = 0;
    const char* szError = "";

    // Kinds SDL2_image reads: still decoded, by the general way. A gamma chunk would change colours there.
    PngRecipe rgb, gamma;
    rgb.nColourType = 2;
    gamma.vecExtraChunks = {"gAMA"};
    for (const PngRecipe& recipe : {rgb, gamma}) {
        const Bytes vecPng = EncodePng(nW, nH, vecPixels, recipe);
        EXPECT_FALSE(Quick(vecPng, vecArgb, nW1, nH1));
        EXPECT_TRUE(DecodeImage(vecPng, nW1, nH1, vecArgb, szError)) << szError;
    }
    // Interlacing and image data that ends early or runs on: declined here, whatever SDL2_image makes of them.
    PngRecipe interlaced, shortData, surplusData, badFilter;
    interlaced.nInterlace = 1;
    shortData.nSurplusRows = -1;
    surplusData.nSurplusRows = 1;
    for (const PngRecipe& recipe : {interlaced, shortData, surplusData}) {
        EXPECT_FALSE(Quick(EncodePng(nW, nH, vecPixels, recipe), vecArgb, nW1, nH1));
    }
    // Damage SDL2_image refuses too: the fault is still named.
    badFilter.nBadFilterRow = 2;
    Bytes vecBadCrc = EncodePng(nW, nH, vecPixels);
    vecBadCrc[vecBadCrc.size() - 13] ^= 1;  // the last byte of the image data's CRC
    for (const Bytes& vecPng : {EncodePng(nW, nH, vecPixels, badFilter), vecBadCrc}) {
        EXPECT_FALSE(Quick(vecPng, vecArgb, nW1, nH1));
        szError = "";
        EXPECT_FALSE(DecodeImage(vecPng, nW1, nH1, vecArgb, szError));
        EXPECT_STRNE(szError, "");
    }
}

TEST(Png, HostileBytesNeverReadPastTheFileNorAllocateForMissingPixels) {
    PngRecipe recipe;
    recipe.nDataChunk = 40;
    const Bytes vecPng = EncodePng(21, 13, RandomPixels(21 * 13, 5), recipe);
    std::vector<uint32_t> vecArgb;
    int nW = 0, nH = 0;
    ASSERT_TRUE(Quick(vecPng, vecArgb, nW, nH));
    for (size_t n = 0; n < vecPng.size(); ++n) {
        const Bytes vecCut(vecPng.begin(), vecPng.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(Quick(vecCut, vecArgb, nW, nH)) << "cut at " << n;
    }
    // A header claiming 16384 x 16384 over a few bytes of data: refused before the 1 GiB is taken.
    Bytes vecHuge = EncodePng(1, 1, {0xFF000000u});
    vecHuge[16] = 0, vecHuge[17] = 0, vecHuge[18] = 0x40, vecHuge[19] = 0;  // width
    vecHuge[20] = 0, vecHuge[21] = 0, vecHuge[22] = 0x40, vecHuge[23] = 0;  // height
    const uint32_t uCrc = static_cast<uint32_t>(libdeflate_crc32(0, vecHuge.data() + 12, 17));
    for (int i = 0; i < 4; ++i) vecHuge[29 + i] = static_cast<unsigned char>(uCrc >> (24 - 8 * i));
    std::vector<uint32_t> vecFresh;
    EXPECT_FALSE(Quick(vecHuge, vecFresh, nW, nH));
    EXPECT_LT(vecFresh.capacity(), 1u << 20);
}

}  // namespace
