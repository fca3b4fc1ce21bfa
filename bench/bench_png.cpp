// Decoding the main window's 640 x 520 background both ways: the quick path for our own RGBA art and
// SDL2_image with its surface conversion. Runs on the staged picture when there is one, otherwise on a
// generated one of the same size (a gradient with grain, written by SDL2_image's encoder).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Renderer/KXRenderer.h"
#include "KX_Renderer/KXRenderer_Image.h"
#include "KX_Renderer/KXRenderer_Png.h"

namespace {

std::vector<unsigned char> ReadAll(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::vector<unsigned char>& Background(const char*& szWhich) {
    static std::vector<unsigned char> vecPng;
    static const char* szKept = "staged";
    if (vecPng.empty()) {
        vecPng = ReadAll(KXPlatform::GetExecutableDir() + "/../stage/data/interface/art/main_bg.png");
        if (vecPng.empty()) {
            szKept = "generated";
            const int w = 640, h = 520;
            std::vector<uint32_t> vecArgb(static_cast<size_t>(w * h));
            uint32_t uSeed = 1;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    uSeed = uSeed * 1103515245u + 12345u;
                    const uint32_t uShade = 20 + static_cast<uint32_t>(y) * 30 / h + ((uSeed >> 16) & 3);
                    vecArgb[static_cast<size_t>(y * w + x)] = 0xFF000000u | (uShade << 16) | (uShade << 8) | (uShade + 16);
                }
            }
            const std::string strPath = "bench_png_background.png";
            KXRenderer::SavePixelsPng(strPath.c_str(), w, h, vecArgb);
            vecPng = ReadAll(strPath);
            std::remove(strPath.c_str());
        }
    }
    szWhich = szKept;
    return vecPng;
}

void BM_DecodeBackground(benchmark::State& state) {
    const char* szWhich = "";
    const std::vector<unsigned char>& vecPng = Background(szWhich);
    const bool bQuick = state.range(0) == 0;
    for (auto _ : state) {
        int nWidth = 0, nHeight = 0;
        std::vector<uint32_t> vecArgb;
        const char* szError = "";
        const bool bOk = bQuick ? KXRenderer::DecodePngRgba8(vecPng.data(), vecPng.size(), nWidth, nHeight, vecArgb)
                                : KXRenderer::DecodeImageGeneral(vecPng, nWidth, nHeight, vecArgb, szError);
        if (!bOk) {
            state.SkipWithError("the background does not decode this way");
            break;
        }
        benchmark::DoNotOptimize(vecArgb.data());
    }
    state.SetLabel(std::string(szWhich) + (bQuick ? ", quick path" : ", SDL2_image"));
}
BENCHMARK(BM_DecodeBackground)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
