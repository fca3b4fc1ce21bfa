// Renderer benchmarks: a steady frame of cached text (and its FreeType call count), a frame of
// textured quads at the window's size, and text measuring, all with the software renderer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "KX_Renderer/KXRenderer.h"

using namespace KXRenderer;

namespace {

// The free CJK face the build stages as "resource/simhei.ttf".
const char* const kHeiFace = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 520;

// 40 lines of 50 characters each: 2,000 glyphs, Chinese and ASCII mixed as on the check window.
std::vector<std::string> MakeLines() {
    const char* const kPieces[] = {"网络检测", "Ping", "延迟", "32ms", "丢包率", "0%", "服务器", "正常"};
    std::vector<std::string> vecLines;
    for (int nLine = 0; nLine < 40; ++nLine) {
        std::string strLine;
        int nChars = 0;
        for (int i = nLine; nChars < 50; ++i) {
            const std::string strPiece = kPieces[i % 8];
            for (size_t b = 0; b < strPiece.size() && nChars < 50;) {
                size_t nBytes = static_cast<unsigned char>(strPiece[b]) >= 0x81 ? 2 : 1;
                strLine.append(strPiece, b, nBytes);
                b += nBytes;
                ++nChars;
            }
        }
        vecLines.push_back(strLine);
    }
    return vecLines;
}

void BM_SteadyTextFrame2000Glyphs(benchmark::State& state) {
    auto pRenderer = CreateSoftwareRenderer(kScreenWidth, kScreenHeight);
    auto pFont = CKXFont::Open(kHeiFace, 12);
    if (!pRenderer || !pFont) {
        state.SkipWithError("no software renderer or no font");
        return;
    }
    const std::vector<std::string> vecLines = MakeLines();
    auto DrawFrame = [&] {
        pRenderer->BeginFrame(0xFF102030u);
        float fY = 0.0f;
        for (const std::string& strLine : vecLines) {
            pRenderer->DrawText(pFont.get(), strLine.c_str(), static_cast<int>(strLine.size()), 2.0f, fY, 0xFFFFFFFFu, 0);
            fY += 13.0f;
        }
        pRenderer->EndFrame();
    };
    DrawFrame();  // the first frame fills the glyph cache
    pRenderer->ResetStats();
    const uint64_t uCallsBefore = CKXFont::GetFreeTypeCallCount();
    for (auto _ : state) DrawFrame();
    const uint64_t uCalls = CKXFont::GetFreeTypeCallCount() - uCallsBefore;
    state.counters["freetype_calls"] = static_cast<double>(uCalls);
    state.counters["glyphs_per_frame"] =
        static_cast<double>(pRenderer->GetStats().uGlyphs) / static_cast<double>(state.iterations());
    if (uCalls != 0) state.SkipWithError("a steady frame made FreeType calls");
}
BENCHMARK(BM_SteadyTextFrame2000Glyphs)->Unit(benchmark::kMillisecond);

void BM_QuadFrame200(benchmark::State& state) {
    auto pRenderer = CreateSoftwareRenderer(kScreenWidth, kScreenHeight);
    if (!pRenderer) {
        state.SkipWithError("no software renderer");
        return;
    }
    // A translucent-edged 40 x 30 image as window backgrounds are.
    std::vector<uint32_t> vecPixels(40 * 30, 0xFF6080A0u);
    for (int x = 0; x < 40; ++x) vecPixels[static_cast<size_t>(x)] = 0x80FFFFFFu;
    auto pTexture = pRenderer->CreateTexture(40, 30, vecPixels.data());
    for (auto _ : state) {
        pRenderer->BeginFrame(0xFF000000u);
        for (int i = 0; i < 200; ++i) {
            const float fX = static_cast<float>((i * 37) % (kScreenWidth - 40));
            const float fY = static_cast<float>((i * 53) % (kScreenHeight - 30));
            pRenderer->DrawTexturedQuad(pTexture.get(), KXRectF{0, 0, 40, 30}, KXRectF{fX, fY, fX + 40, fY + 30},
                                        0xFFFFFFFFu);
        }
        pRenderer->EndFrame();
    }
}
BENCHMARK(BM_QuadFrame200)->Unit(benchmark::kMillisecond);

void BM_MeasureCachedText(benchmark::State& state) {
    auto pFont = CKXFont::Open(kHeiFace, 14);
    if (!pFont) {
        state.SkipWithError("no font");
        return;
    }
    const std::vector<std::string> vecLines = MakeLines();
    pFont->MeasureText(vecLines[0].c_str());
    for (auto _ : state) benchmark::DoNotOptimize(pFont->MeasureText(vecLines[0].c_str()));
}
BENCHMARK(BM_MeasureCachedText);

}  // namespace
